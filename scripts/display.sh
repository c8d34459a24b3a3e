# Sourced by the scripts: gives the caller an X display, starting a private
# Xvfb when none is set. The server goes away with the calling shell.
velt_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local number
  for number in $(seq 90 130); do
    if [ ! -e "/tmp/.X${number}-lock" ] && [ ! -e "/tmp/.X11-unix/X${number}" ]; then
      Xvfb ":${number}" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
      VELT_XVFB_PID=$!
      export DISPLAY=":${number}"
      trap 'kill "$VELT_XVFB_PID" 2>/dev/null || true' EXIT
      local tries
      for tries in $(seq 50); do
        [ -e "/tmp/.X11-unix/X${number}" ] && return 0
        sleep 0.1
      done
      echo "display: Xvfb :${number} did not start" >&2
      return 1
    fi
  done
  echo "display: no free display number" >&2
  return 1
}
