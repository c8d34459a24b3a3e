# shellcheck shell=bash
# shellcheck disable=SC2154  # the variables scripts/test-windows sets
# Sourced by scripts/test-windows: the timing phase, the firmware load at
# 57600 baud, Linux and Windows builds.

phase_timing() {
  echo "== test-windows: firmware load at 57600 baud"
  reference_firmware
  local side start elapsed rc
  for side in linux windows; do
    sim_start "paced-$side" --baud 57600
    start=$(velt_clock)
    run_job "$side" "paced-$side" 1 firmware
    elapsed=$(velt_seconds_since "$start")
    sim_stop
    rc=$(cat "$work/paced-$side.rc")
    if [ "$rc" = 0 ] && same_memory "$work/linux-firmware.dump" "$work/paced-$side.dump"; then
      pass "paced firmware load, $side build: $elapsed s"
    else
      fail "paced firmware load, $side build: exit $rc or memory differs"
    fi
  done
}
