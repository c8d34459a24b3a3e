# shellcheck shell=bash
# shellcheck disable=SC2154  # the variables scripts/test-windows sets
# Sourced by scripts/test-windows: the unit phase, the Windows test program
# (velt_windows_tests.exe) against COM1's device.

phase_unit() {
  echo "== test-windows: velt_windows_tests.exe"
  sim_start unit --baud 0
  local status=0
  VELT_TEST_PORT=1 timeout "$velt_wine_timeout" wine "$tests_exe" >"$work/unit.out" 2>&1 || status=$?
  velt_strip_cr "$work/unit.out"
  if [ "$status" -eq 0 ]; then
    local counts
    counts=$(grep -E '^\[  (PASSED|SKIPPED) +\] [0-9]+ tests?' "$work/unit.out" |
             sed -E 's/^\[ +([A-Z]+) +\] ([0-9]+) .*/\2 \L\1/' | paste -sd, | sed 's/,/, /g')
    pass "velt_windows_tests.exe: $counts"
    grep -E '^\[  SKIPPED \] [A-Za-z0-9_.]+$' "$work/unit.out" | sed 's/^\[  SKIPPED \]/  skipped:/' || true
  else
    fail "velt_windows_tests.exe"
    grep -E '^\[  FAILED  \]|Failure|^.*:[0-9]+: ' "$work/unit.out" || tail -20 "$work/unit.out"
  fi
  sim_stop
}
