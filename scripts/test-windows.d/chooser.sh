# shellcheck shell=bash
# shellcheck disable=SC2154  # the variables scripts/test-windows sets
# Sourced by scripts/test-windows: the chooser phase, coefficients chosen by
# typing a Cyrillic path in the chooser.

# The second button with no file loaded opens the chooser; the file's path is
# typed, relative to the working directory, and taken with Enter.
phase_chooser() {
  echo "== test-windows: the chooser"
  local koeff_folder="Поверка 2026" koeff_name="ВЕЛТ №3.koeff" linux_rc=0
  mkdir -p "$work/$koeff_folder"
  cp "$work/test.koeff" "$work/$koeff_folder/$koeff_name"
  sim_start linux-cyrillic --baud 0
  (cd "$work" && timeout "$velt_wine_timeout" "$linux_flash" --port "$com1" write "$koeff_folder/$koeff_name") \
    >"$work/linux-cyrillic.out" 2>&1 || linux_rc=$?
  sim_stop
  # The Cyrillic letters get keys of their own: xdotool would otherwise bind
  # each to a spare key for a moment, and wine, reading that key late under
  # load, would lose the letter.
  xmodmap -pke >"$work/keymap.txt"
  python3 tests/windows/bind_keys.py "$koeff_folder/$koeff_name" "$work/keymap.txt" >"$work/keys.xmodmap"
  xmodmap "$work/keys.xmodmap"
  # Slow acknowledgements keep the write running long enough to be seen.
  sim_start window-write --baud 0 --erase-latency 30 --write-latency 100
  if loader_start window-write; then
    click_button 1
    if velt_expect_window "$chooser_title" "$window_timeout" "$loader_pid"; then
      # shellcheck disable=SC2034  # the geometry sets all four; the name field needs X and Y
      local X Y WIDTH HEIGHT
      eval "$(xdotool getwindowgeometry --shell "$velt_window_id")"
      xdotool mousemove $((X + name_field_x + name_field_width / 2)) \
        $((Y + name_field_y + name_field_height / 2)) click 1
      xdotool key --clearmodifiers ctrl+a
      xdotool type --delay 40 "$koeff_folder/$koeff_name"
      screenshot chooser-typed
      xdotool key Return
      # The write may be over before a screenshot sees it running: whether
      # it ran shows in the device's memory below.
      wait_button 1 busy "$short_job_seconds" || true
      if wait_button 1 idle; then
        press_in_main ctrl+x
        loader_wait
        [ "$loader_rc" = 0 ] || fail "coefficients: exit $loader_rc after Ctrl+X, expected 0"
      else
        fail "coefficients: the write did not end within $velt_wine_timeout s"
      fi
    fi
  fi
  if [ -n "$loader_pid" ]; then loader_wait; fi
  sim_stop
  # Compared with what the Linux velt-flash writes from the same file; a blank
  # device (all 0xFF) would mean that neither wrote anything.
  if [ "$linux_rc" = 0 ] && same_memory "$work/linux-cyrillic.dump" "$work/window-write.dump" &&
     [ "$(tr -d '\377' <"$work/window-write.dump/controller1.bin" | wc -c)" -gt 0 ]; then
    pass "second button: \"$koeff_folder/$koeff_name\" typed in the chooser reached the device byte for byte"
  else
    fail "second button: the device does not hold the coefficients of \"$koeff_folder/$koeff_name\""
  fi
}
