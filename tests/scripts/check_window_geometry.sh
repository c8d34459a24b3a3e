#!/usr/bin/env bash
# check_window_geometry.sh PROGRAM GEOMETRY: every NAME=VALUE that PROGRAM
# (window_geometry) prints must be what the sourced GEOMETRY file says, so
# the scripts' copy of the window's layout cannot drift from the C++.
set -euo pipefail
program=$1
# shellcheck source=scripts/lib/window-geometry.sh
. "$2"
built=$("$program")
compared=0
differ=0
while IFS='=' read -r name value; do
  compared=$((compared + 1))
  said=${!name-unset}
  if [ "$said" != "$value" ]; then
    echo "$name: $2 says $said, the program builds $value"
    differ=$((differ + 1))
  fi
done <<<"$built"
echo "$compared values compared, $differ differ"
[ "$compared" -gt 0 ] && [ "$differ" -eq 0 ]
