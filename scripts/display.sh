# shellcheck shell=bash
# Sourced by a shell that wants a display and nothing else (a developer's,
# before ctest): velt_ensure_display uses the DISPLAY set when it answers,
# else starts a private Xvfb (scripts/lib/display.sh). A server started so
# goes away with the calling shell: this file sets no trap of the caller's,
# so a watcher ends the server once that shell has gone. Scripts with an
# EXIT trap of their own use scripts/lib/display.sh instead.

# shellcheck source=scripts/lib/display.sh
. "$(dirname "${BASH_SOURCE[0]}")/lib/display.sh"

velt_watch_step=1  # seconds between two looks at the calling shell

velt_ensure_display() {
  velt_display_open || return 1
  [ -n "$velt_xvfb_pid" ] || return 0  # the display that was set answers
  local shell=$$ server=$velt_xvfb_pid
  (
    while kill -0 "$shell" 2>/dev/null; do sleep "$velt_watch_step"; done
    kill "$server" 2>/dev/null
  ) </dev/null >/dev/null 2>&1 &
}
