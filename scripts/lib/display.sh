# shellcheck shell=bash
# Sourced by the scripts: a private X server, so that windows, clicks and
# keys reach no one's desktop. Xvfb picks a free display number itself
# (-displayfd), since other builds on this machine start theirs at the same
# time, and does not reset when its last client leaves: it would refuse
# connections for a moment and forget key bindings made on it.
#   velt_display_start  starts one and exports DISPLAY
#   velt_display_stop   ends the one started here (for the caller's EXIT trap)
#   velt_display_open   uses the DISPLAY set when it answers, else starts one

velt_xvfb_pid=""
velt_display_screen=800x600x24
velt_display_wait_tries=100
velt_display_wait_step=0.1  # seconds

velt_display_start() {
  local log number_file
  log=$(mktemp /tmp/velt-xvfb.XXXXXX)
  number_file=$(mktemp /tmp/velt-display.XXXXXX)
  Xvfb -displayfd 3 -noreset -screen 0 "$velt_display_screen" -nolisten tcp \
    3>"$number_file" >/dev/null 2>"$log" &
  velt_xvfb_pid=$!
  local try
  for try in $(seq "$velt_display_wait_tries"); do
    [ -s "$number_file" ] && break
    kill -0 "$velt_xvfb_pid" 2>/dev/null || break
    sleep "$velt_display_wait_step"
  done
  if [ ! -s "$number_file" ]; then
    echo "display: Xvfb did not start (after $try tries): $(cat "$log")" >&2
    rm -f "$log" "$number_file"
    velt_display_stop
    return 1
  fi
  DISPLAY=:$(head -n 1 "$number_file")
  export DISPLAY
  rm -f "$log" "$number_file"
}

velt_display_stop() {
  [ -n "$velt_xvfb_pid" ] || return 0
  kill "$velt_xvfb_pid" 2>/dev/null || true
  wait "$velt_xvfb_pid" 2>/dev/null || true
  velt_xvfb_pid=""
}

velt_display_open() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  velt_display_start
}
