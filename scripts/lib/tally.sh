# shellcheck shell=bash
# Sourced by the scripts: counts passed and failed checks, one line each,
# and ends with "N passed, M failed".

velt_passed=0
velt_failed=0

velt_pass() {
  velt_passed=$((velt_passed + 1))
  echo "PASS $*"
}

velt_fail() {
  velt_failed=$((velt_failed + 1))
  echo "FAIL $*"
}

# velt_tally NAME: prints "NAME: N passed, M failed"; fails when one failed.
velt_tally() {
  echo "$1: $velt_passed passed, $velt_failed failed"
  [ "$velt_failed" -eq 0 ]
}
