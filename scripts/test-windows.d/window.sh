# shellcheck shell=bash
# shellcheck disable=SC2154  # the variables scripts/test-windows sets
# Sourced by scripts/test-windows: the window phase, velt-loader.exe's window
# on the private Xvfb: its size and pictures, the greyed ports, the load and
# its progress bar, exit asked for during a load.

phase_window() {
  echo "== test-windows: velt-loader.exe's window"
  sim_start window-firmware --baud 57600
  if loader_start window-firmware; then
    if [ "$window_width" = "$main_window_width" ] && [ "$window_height" = "$main_window_height" ]; then
      pass "window: \"$main_title\", ${main_window_width}x$main_window_height"
    else
      fail "window: \"$main_title\" is ${window_width}x$window_height, expected ${main_window_width}x$main_window_height"
    fi
    screenshot window
    local counts="" button count drawn=yes
    for button in 0 1 2 3; do counts+=" $(picture_pixels window "$button")"; done
    for count in $counts; do [ "$count" -ge "$least_picture_pixels" ] || drawn=no; done
    if [ "$drawn" = yes ]; then
      pass "window: the four pictures are drawn (coloured pixels:$counts)"
    else
      fail "window: not all four pictures are drawn (coloured pixels:$counts)"
    fi

    # Порт: COM1 opened at start, COM2..COM4 lead to missing devices: one
    # band of text per item, the first one dark, the others not.
    port_menu_levels port-menu "$port_items_height"
    xdotool key Escape
    if [ "${#levels[@]}" = 4 ] && [ "${levels[0]}" -lt 64 ] &&
       [ "${levels[1]}" -ge 96 ] && [ "${levels[2]}" -ge 96 ] && [ "${levels[3]}" -ge 96 ]; then
      pass "Порт: COM 1 active, COM 2 to COM 4 (missing devices) greyed (darkest text:$darkest)"
    else
      fail "Порт: expected COM 1 active and COM 2 to COM 4 greyed (darkest text per item:$darkest)"
    fi

    # The first button, at 57600 baud: timed, its progress watched, then again
    # with exit asked for while it runs.
    local start elapsed question=""
    start=$(velt_clock)
    click_button 0
    if wait_button 0 busy && watch_progress progress && wait_button 0 idle; then
      elapsed=$(velt_seconds_since "$start")
      pass "paced firmware load, window: $elapsed s"
      screenshot window-loaded
      if bar_gone window-loaded; then
        pass "progress bar: gone once the load has ended"
      else
        fail "progress bar: still drawn after the load"
      fi
    else
      fail "first button: the load did not start, or did not end within $velt_wine_timeout s"
    fi
    click_button 0
    if wait_button 0 busy; then
      press_in_main ctrl+x
      if question=$(find_window "$question_title") && kill -0 "$loader_pid" 2>/dev/null; then
        pass "exit while the load runs: the question \"$question_title\" is asked"
        # Escape answers "Нет": the load goes on.
        xdotool windowfocus "$question" key Escape || true
      else
        fail "exit while the load runs: no question \"$question_title\""
      fi
    else
      fail "first button, second load: it did not start"
    fi
    if ! wait_button 0 idle; then
      fail "first button, second load: it did not end within $velt_wine_timeout s"
    fi
    press_in_main ctrl+x
    loader_wait
    if [ "$loader_rc" = 0 ]; then pass "Ctrl+X: exit 0"; else fail "Ctrl+X: exit $loader_rc, expected 0"; fi
  fi
  if [ -n "$loader_pid" ]; then loader_wait; fi
  sim_stop
  holds_hex_images window-firmware "first button"
  # The Sync after the last Launch heard only its echo: the application runs.
  if launch_tail "$work/window-firmware.dump/transcript.txt" | tail -1 | grep -q ' query '; then
    pass "first button: the transcript ends with the Launch sequence"
  else
    fail "first button: the transcript does not end with the Launch sequence"
  fi
}
