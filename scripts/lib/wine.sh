# shellcheck shell=bash
# Sourced by the scripts that run the Windows programs under wine.
#   velt_wine_use PREFIX LOG  this prefix from now on, wineserver's chatter in LOG
#   velt_wine_session         a fresh session, which reads the registry anew
#   velt_wine_map_ports FOLDER PORT=PATH...  the serial ports, nothing else
#   velt_wine_run OUT ERR PROGRAM [ARG...]   a program, its output as Linux text
#   velt_strip_cr FILE...     the console's CR LF made LF
#   velt_wine_stop            ends the session (for the caller's EXIT trap)

velt_wine_log=/dev/null
velt_wine_started=""
velt_wine_timeout=300  # seconds; only so that a hang cannot stall CI

velt_wine_use() {
  export WINEDEBUG=-all
  export WINEPREFIX=$1
  export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer on prefix creation
  velt_wine_log=$2
}

# Once the session that changed the registry has ended, a new one: one
# server from then on, its own chatter kept out of the programs' output.
velt_wine_session() {
  velt_wine_started=yes
  wineserver -w
  wineserver -p 2>>"$velt_wine_log"
  wine cmd /c exit
}

velt_wine_stop() {
  [ -n "$velt_wine_started" ] || return 0
  wineserver -k 2>/dev/null || true
  velt_wine_started=""
}

velt_strip_cr() { sed -i 's/\r$//' "$@"; }

# velt_wine_run OUT ERR PROGRAM [ARG...]: returns the program's status.
velt_wine_run() {
  local out=$1 err=$2 status=0
  shift 2
  timeout "$velt_wine_timeout" wine "$@" >"$out" 2>"$err" || status=$?
  velt_strip_cr "$out" "$err"
  return "$status"
}

# velt_wine_map_ports FOLDER PORT=PATH...: wine's serial ports become exactly
# these (COM1=/some/link ...), in a fresh session. Wine would otherwise give
# every serial device of the machine a COM number, so each port it made must
# then lead into FOLDER or to a device that is /dev/null (hidden by the
# caller); returns 1, saying which, when one leads to a real port.
velt_wine_map_ports() {
  local folder=$1 mapping reg=$1/ports.reg
  shift
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    # A fresh key: nothing left from an earlier run.
    printf '[-HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
    for mapping in "$@"; do printf '"%s"="%s"\r\n' "${mapping%%=*}" "${mapping#*=}"; done
  } >"$reg"
  velt_wine_started=yes
  wineserver -k 2>/dev/null || true  # a running session would keep the old ports
  wine regedit /S "$(winepath -w "$reg")"
  velt_wine_session
  local null_device link_path link
  null_device=$(stat -L -c %t:%T /dev/null)
  for link_path in "$WINEPREFIX"/dosdevices/com*; do
    [ -L "$link_path" ] || continue
    link=$(readlink "$link_path")
    case "$link" in
      "$folder"/*) continue ;;
    esac
    if [ "$(stat -L -c %t:%T "$link" 2>/dev/null)" != "$null_device" ]; then
      echo "wine: $(basename "$link_path") leads to '$link', a real port" >&2
      return 1
    fi
  done
}
