# shellcheck shell=bash
# Sourced by the scripts: how long a step took on the wall clock.
#   start=$(velt_clock); ...; velt_seconds_since "$start"   prints e.g. 3.8

velt_clock() { date +%s%N; }

# velt_seconds_since START: seconds since START (from velt_clock), one decimal.
velt_seconds_since() {
  awk -v ns=$(($(date +%s%N) - $1)) 'BEGIN { printf "%.1f", ns / 1e9 }'
}
