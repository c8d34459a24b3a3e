# shellcheck shell=bash
# shellcheck disable=SC2154,SC2034  # the driver's variables; these are the phases'
# Sourced by scripts/test-windows: the simulated device on COM1, velt-flash
# jobs on both sides, checks of what the device holds afterwards, and the
# table runner for velt-flash.exe's cases. Uses the driver's work, com1,
# linux_flash and flash_exe.

sim_link=$com1
sim_start() {  # NAME [velt-sim options]: a fresh device at $sim_link (COM1), dumped at stop
  local name=$1
  shift
  velt_sim_start "$sim_link" "$work/$name.sim" --dump "$work/$name.dump" "$@" || exit 1
}
sim_stop() { velt_sim_stop; }

# run_job SIDE NAME PORT JOB...: SIDE is linux (always on COM1's device) or
# windows; leaves NAME.{out,err,rc}
run_job() {
  local side=$1 name=$2 port=$3
  shift 3
  local rc=0
  if [ "$side" = linux ]; then
    (cd "$work" && timeout "$velt_wine_timeout" "$linux_flash" --port "$com1" "$@") \
      >"$work/$name.out" 2>"$work/$name.err" || rc=$?
  else
    (cd "$work" && velt_wine_run "$work/$name.out" "$work/$name.err" "$flash_exe" --port "$port" "$@") ||
      rc=$?
  fi
  echo "$rc" >"$work/$name.rc"
}

same_memory() {  # DUMP_A DUMP_B
  local controller
  for controller in 1 2 3; do
    cmp -s "$1/controller$controller.bin" "$2/controller$controller.bin" || return 1
  done
}

holds_hex_images() {  # NAME WHAT: NAME's device holds the firmware, said of WHAT
  if python3 tests/windows/check_firmware_dump.py "$work/$1.dump" "$(velt_firmware_dir "$root")"; then
    pass "$2: the device holds the HEX images"
  else
    fail "$2: the device does not hold the HEX images"
  fi
}

# The device memory the Linux velt-flash leaves after a firmware load, the
# reference for the other loads; the jobs phase makes it on its way.
reference_firmware() {
  [ -d "$work/linux-firmware.dump" ] && return 0
  sim_start linux-firmware --baud 0
  run_job linux linux-firmware 1 firmware
  sim_stop
}

like_linux() {  # NAME: against linux-NAME, run on a device of its own
  if same_memory "$work/linux-$1.dump" "$work/$1.dump"; then
    pass "$1: device memory as the Linux velt-flash leaves it"
  else
    fail "$1: device memory differs from the Linux run"
  fi
  local stream
  for stream in out err; do
    if diff -u "$work/linux-$1.$stream" "$work/$1.$stream" >"$work/$1.$stream.diff"; then
      pass "$1: std$stream lines as on Linux"
    else
      fail "$1: std$stream lines differ from Linux"
      cat "$work/$1.$stream.diff"
    fi
  done
}

says() {  # NAME STREAM PATTERN
  if grep -q "$3" "$work/$1.$2"; then
    pass "$1: std$2 says \"$3\""
  else
    fail "$1: std$2 does not say \"$3\""
    cat "$work/$1.out" "$work/$1.err"
  fi
}

# run_cli_cases ROW...: velt-flash.exe from the command line, one row a case:
#   NAME | velt-sim options, - for no device | PORT | JOB | EXIT | CHECKS
# EXIT lists the statuses that pass. CHECKS, separated by commas:
# like-linux (the Linux velt-flash, run the same way, leaves the same device
# memory and prints the same lines), hex-images (the device holds the
# firmware), stdout:TEXT and stderr:TEXT (the stream holds that pattern), or
# - for none.
run_cli_cases() {
  local row name sim port job status checks rc check
  local sim_options job_words statuses check_list
  for row in "$@"; do
    IFS='|' read -r name sim port job status checks <<<"$row"
    read -r name <<<"$name"
    read -r port <<<"$port"
    read -r -a sim_options <<<"$sim"
    read -r -a job_words <<<"$job"
    read -r -a statuses <<<"$status"
    IFS=',' read -r -a check_list <<<"$checks"
    echo "== test-windows: velt-flash.exe --port $port ${job_words[*]}"
    if [[ ",$checks," =~ ,\ *like-linux\ *, ]]; then
      sim_start "linux-$name" "${sim_options[@]}"
      run_job linux "linux-$name" "$port" "${job_words[@]}"
      sim_stop
    fi
    if [ "${sim_options[*]}" != - ]; then sim_start "$name" "${sim_options[@]}"; fi
    run_job windows "$name" "$port" "${job_words[@]}"
    if [ "${sim_options[*]}" != - ]; then sim_stop; fi
    rc=$(cat "$work/$name.rc")
    if [[ " ${statuses[*]} " == *" $rc "* ]]; then
      pass "$name: exit $rc"
    else
      fail "$name: exit $rc, expected ${statuses[*]}"
      cat "$work/$name.out" "$work/$name.err"
    fi
    for check in "${check_list[@]}"; do
      read -r check <<<"$check"
      case "$check" in
        -) ;;
        like-linux) like_linux "$name" ;;
        hex-images) holds_hex_images "$name" "$name" ;;
        stdout:*) says "$name" out "${check#stdout:}" ;;
        stderr:*) says "$name" err "${check#stderr:}" ;;
        *) echo "test-windows: case $name: no check '$check'" >&2; exit 1 ;;
      esac
    done
  done
}
