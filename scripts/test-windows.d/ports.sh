# shellcheck shell=bash
# shellcheck disable=SC2154  # the variables scripts/test-windows sets
# Sourced by scripts/test-windows: the ports phase, ports past COM4 found by
# listing them, jobs through them, two at once, and the window loading through
# one it lists. Rows as for run_cli_cases (shared/device.sh).

# Ports past COM4, numbered as Windows numbers USB adapters: COM7 and COM12
# lead to the simulator through links of their own. velt-flash.exe must list
# both from the registry, COM7 before COM12, and load through COM12 (which
# opens only as \\.\COM12) and through COM7.
ports_cases=(
  "listed-COM12 | --baud 0 | COM12 | firmware | 0 | stdout:Запуск\., hex-images"
  "listed-COM7  | --baud 0 | COM7  | reset    | 0 | stdout:Запуск\."
)

phase_ports() {
  echo "== test-windows: ports found by listing (COM7, COM12)"
  local port rc=0 listed
  for port in 7 12; do
    ln -sfn "$com1" "$work/com$port"  # follows each sim_start's fresh device
  done
  velt_wine_map_ports "$work" "${port_map[@]}" COM7="$work/com7" COM12="$work/com12" || exit 1
  velt_wine_run "$work/list-ports.out" "$work/list-ports.err" "$flash_exe" --list-ports || rc=$?
  listed=$(awk '{ print $1 }' "$work/list-ports.out" | paste -sd' ')
  if [ "$rc" = 0 ] && echo " $listed " | grep -q ' COM7 .*COM12 '; then
    pass "--list-ports: exit 0, lists $listed"
  else
    fail "--list-ports: exit $rc, lists '$listed', expected COM7 then COM12"
    cat "$work/list-ports.err"
  fi
  run_cli_cases "${ports_cases[@]}"
  two_ports_at_once
  window_lists_ports
}

# A station: velt-flash.exe loads two devices at once, COM7 and COM12, each
# on a simulator of its own, one thread per device; every line it prints
# starts with its port.
two_ports_at_once() {
  echo "== test-windows: two ports at once (COM7, COM12)"
  local second rc=0 port
  velt_sim_start "$work/station-com12" "$work/station-COM12.sim" --baud 0 \
    --dump "$work/station-COM12.dump" || exit 1
  second=$velt_sim_pid
  ln -sfn "$work/station-com12" "$work/com12"
  sim_start station-COM7 --baud 0  # at $com1, where COM7 leads
  (cd "$work" && velt_wine_run "$work/station.out" "$work/station.err" "$flash_exe" -p COM7 -p COM12 firmware) ||
    rc=$?
  sim_stop
  velt_sim_stop "$second"
  ln -sfn "$com1" "$work/com12"
  if [ "$rc" = 0 ] && ! grep -qvE '^COM(7|12): ' "$work/station.out" "$work/station.err" &&
     grep -q '^COM7: итог: запущено, код 0, ' "$work/station.out" &&
     grep -q '^COM12: итог: запущено, код 0, ' "$work/station.out"; then
    pass "-p COM7 -p COM12 firmware: exit 0, every line prefixed, both summed up"
  else
    fail "-p COM7 -p COM12 firmware: exit $rc, expected 0 with prefixed lines and two summaries"
    cat "$work/station.out" "$work/station.err"
  fi
  for port in COM7 COM12; do
    holds_hex_images "station-$port" "two ports at once, $port"
  done
}

# The window lists them after COM 4 too, probed like COM 1-4, and loads
# through COM12 once it is picked. For this run only COM12 leads to a device.
window_lists_ports() {
  rm -f "$com1"
  sim_link=$work/com12-device sim_start window-COM12 --baud 0
  ln -sfn "$work/com12-device" "$work/com12"
  local listed_items_height=220  # room for COM 1-4, the ports after them and the two commands
  if loader_start window-listed; then
    port_menu_levels listed-port-menu "$listed_items_height"
    local count=${#levels[@]} shown=no level first_row last_row
    # COM 1-4, then wine's own COM5 where the machine has a serial port, COM7,
    # COM12, and last "Обновить список" and "Проверить линию", usable while
    # nothing runs.
    if [ "$count" -ge 8 ] && [ "${levels[count - 1]}" -lt 64 ] && [ "${levels[count - 2]}" -lt 64 ] &&
      [ "${levels[count - 3]}" -lt 64 ]; then
      shown=yes
      for level in "${levels[@]:0:count-3}"; do [ "$level" -ge 96 ] || shown=no; done
    fi
    if [ "$shown" = yes ]; then
      pass "window: Порт lists $((count - 6)) ports after COM 4, the last (COM12) active, the others greyed, then Обновить список and Проверить линию (darkest text:$darkest)"
      read -r first_row last_row _ <<<"${text_bands[count - 3]}"
      xdotool mousemove $((window_x + port_items_x + port_items_width / 2)) \
        $(((first_row + last_row) / 2)) click 1
      sleep 0.5
      click_button 0
      wait_button 0 busy "$short_job_seconds" || true
      wait_button 0 idle || fail "window: the load through COM12 did not end within $velt_wine_timeout s"
    else
      fail "window: Порт does not show COM12 active after the greyed ports (darkest text per item:$darkest)"
      xdotool key Escape
    fi
    press_in_main ctrl+x
    loader_wait
  fi
  sim_stop
  holds_hex_images window-COM12 "window, COM12 picked in Порт and loaded through"
}
