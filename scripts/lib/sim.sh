# shellcheck shell=bash
# Sourced by the scripts: simulated devices (velt-sim) on pseudo-terminals.
# velt_sim_start starts one on a --link path and waits for the link;
# velt_sim_stop ends one and waits, so that its --dump is written;
# velt_sim_stop_all is for the caller's EXIT trap.

# The command that runs velt-sim, and where its links are seen from here
# when that command runs elsewhere (in a chroot): set after sourcing.
velt_sim_program=(velt-sim)
velt_sim_root=""

velt_sim_pid=""    # the one started last
velt_sim_pids=()   # all that are still running
velt_sim_wait_tries=100
velt_sim_wait_step=0.05  # seconds; a link within 5 s, or velt-sim has failed

# velt_sim_start LINK LOG [OPTION...]: velt-sim --link LINK OPTION..., its
# output in LOG; returns 1 (saying why on stderr) when the link does not come.
velt_sim_start() {
  local link=$1 log=$2
  shift 2
  local seen=$velt_sim_root$link
  rm -f "$seen"
  "${velt_sim_program[@]}" --link "$link" "$@" >"$log" 2>&1 &
  velt_sim_pid=$!
  velt_sim_pids+=("$velt_sim_pid")
  local try
  for try in $(seq "$velt_sim_wait_tries"); do
    [ -L "$seen" ] && return 0
    kill -0 "$velt_sim_pid" 2>/dev/null || break
    sleep "$velt_sim_wait_step"
  done
  echo "velt-sim did not start on $link (after $try tries): $(cat "$log")" >&2
  velt_sim_stop
  return 1
}

# velt_sim_stop [PID]: ends that simulator (default: the last started).
velt_sim_stop() {
  local pid=${1:-$velt_sim_pid} kept=() other
  [ -n "$pid" ] || return 0
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  for other in "${velt_sim_pids[@]}"; do
    [ "$other" = "$pid" ] || kept+=("$other")
  done
  velt_sim_pids=("${kept[@]}")
  [ "$pid" != "$velt_sim_pid" ] || velt_sim_pid=""
}

velt_sim_stop_all() {
  while [ "${#velt_sim_pids[@]}" -gt 0 ]; do velt_sim_stop "${velt_sim_pids[0]}"; done
}
