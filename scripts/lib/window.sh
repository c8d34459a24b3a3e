# shellcheck shell=bash
# Sourced by the scripts: finding a window by its title with xdotool. FLTK
# writes the Russian titles correctly only in _NET_WM_NAME, which xdotool's
# --name cannot match, so every candidate's name is compared instead.
# velt_expect_window counts its failure with tally.sh.

# xdotool search's criteria for the candidates; a caller may narrow them.
velt_window_search=(--onlyvisible --name .)

velt_window_step=0.2  # seconds between two looks

# velt_find_window TITLE SECONDS [PID]: prints the id of the window with that
# title; gives up after SECONDS, or as soon as PID (the program that should
# show it) has ended.
velt_find_window() {
  local title=$1 deadline=$((SECONDS + $2)) owner=${3:-}
  local id
  while [ "$SECONDS" -lt "$deadline" ]; do
    for id in $(xdotool search "${velt_window_search[@]}" 2>/dev/null); do
      if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$title" ]; then
        echo "$id"
        return 0
      fi
    done
    if [ -n "$owner" ] && ! kill -0 "$owner" 2>/dev/null; then return 1; fi
    sleep "$velt_window_step"
  done
  return 1
}

# velt_expect_window TITLE SECONDS [PID]: as velt_find_window, but sets
# velt_window_id instead of printing it, and when the window does not come
# counts one FAIL saying which window was awaited.
# shellcheck disable=SC2034  # read by the caller
velt_window_id=""
velt_expect_window() {
  # shellcheck disable=SC2034
  velt_window_id=$(velt_find_window "$@") && return 0
  velt_fail "window: no window titled \"$1\" within $2 s"
  return 1
}
