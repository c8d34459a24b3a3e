# shellcheck shell=bash
# shellcheck disable=SC2154,SC2034  # the driver's variables; these are the phases'
# Sourced by scripts/test-windows: velt-loader.exe's window on the private
# Xvfb, driven with xdotool and read from screenshots. Uses the driver's work
# and loader_exe, and scripts/lib/window-geometry.sh's layout.

main_title="Загрузчик для ВЕЛТ"
chooser_title="Выберите файл с коэффициентами"
question_title="Выход"
window_timeout=60  # seconds for a window to appear or a job to end
picture_inset=6    # the button's own frame stays out of the picture checks
least_picture_pixels=40
short_job_seconds=3

find_window() {  # TITLE: prints the id of the visible window with that title
  velt_find_window "$1" "$window_timeout"
}
loader_pid=""
# loader_start NAME [EXE]: velt-loader.exe (default: the zip's), run in $work,
# its output in NAME.loader; sets main_window and its geometry, or fails
# (one FAIL, the output shown) when the window does not come.
loader_start() {
  local exe=${2:-$loader_exe}
  (cd "$work" && exec timeout "$velt_wine_timeout" wine "$exe") >"$work/$1.loader" 2>&1 &
  loader_pid=$!
  if ! velt_expect_window "$main_title" "$window_timeout" "$loader_pid"; then
    main_window=""
    cat "$work/$1.loader"
    return 1
  fi
  main_window=$velt_window_id
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$main_window")"
  window_x=$X window_y=$Y window_width=$WIDTH window_height=$HEIGHT
}
loader_rc=""
loader_wait() {  # sets loader_rc to the program's exit status; ends it when it hangs
  local deadline=$((SECONDS + window_timeout))
  while kill -0 "$loader_pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.2; done
  if kill -0 "$loader_pid" 2>/dev/null; then kill -TERM "$loader_pid"; fi
  loader_rc=0
  wait "$loader_pid" || loader_rc=$?
  loader_pid=""
}
click() {  # X Y in the main window
  xdotool mousemove $((window_x + $1)) $((window_y + $2)) click 1
}
click_button() {  # BUTTON (0..3): its middle
  click $((button_lefts[$1] + button_width / 2)) $((button_tops[$1] + button_height / 2))
}
press_in_main() {  # KEYS: the log takes the click that gives the window the keyboard
  click $((window_width / 2)) $((window_height - log_click_above_bottom))
  xdotool key --clearmodifiers "$@"
}
screenshot() {  # NAME: the whole screen as $work/NAME.ppm
  import -window root -depth 8 "ppm:$work/$1.ppm"
}
picture_pixels() {  # SHOT BUTTON(0..3): coloured pixels of that button's picture
  python3 tests/windows/screen_pixels.py coloured "$work/$1.ppm" \
    $((window_x + button_lefts[$2] + picture_inset)) $((window_y + button_tops[$2] + picture_inset)) \
    $((button_width - 2 * picture_inset)) $((button_height - 2 * picture_inset))
}
wait_button() {  # BUTTON busy|idle [SECONDS]: waits until its picture is grey or coloured again
  local deadline=$((SECONDS + ${3:-$velt_wine_timeout})) pixels
  while [ "$SECONDS" -lt "$deadline" ]; do
    screenshot poll
    pixels=$(picture_pixels poll "$1")
    if [ "$2" = busy ] && [ "$pixels" -eq 0 ]; then return 0; fi
    if [ "$2" = idle ] && [ "$pixels" -ge "$least_picture_pixels" ]; then return 0; fi
    sleep 0.1
  done
  return 1
}
# The progress bar along the lower edge of the button row: grey where nothing
# is done yet, green written, blue read back.
bar_pixels() {  # SHOT: pixels of the bar's middle row: track, written, verified
  python3 tests/windows/screen_pixels.py exact "$work/$1.ppm" "$window_x" $((window_y + bar_row)) \
    "$window_width" 1 "$bar_track" "$bar_written" "$bar_verified"
}
watch_progress() {  # NAME: screenshots about a second apart while the bar shows
  local shot=0 track written verified finished previous=-1 grew=0 shrank=0 samples=""
  while [ "$shot" -lt "$velt_wine_timeout" ]; do
    screenshot "$1-$shot"
    read -r track written verified < <(bar_pixels "$1-$shot")
    finished=$((written + verified))
    [ $((track + finished)) -gt 0 ] || break  # the bar has gone: the job has ended
    samples+=" $written+$verified"
    if [ "$previous" -ge 0 ]; then
      [ "$finished" -le "$previous" ] || grew=$((grew + 1))
      [ "$finished" -ge "$previous" ] || shrank=$((shrank + 1))
    fi
    previous=$finished
    shot=$((shot + 1))
    sleep 0.5
  done
  if [ "$grew" -ge 2 ] && [ "$shrank" -eq 0 ]; then
    pass "progress bar during the paced load grows (written+verified pixels:$samples)"
  else
    fail "progress bar during the paced load does not grow steadily (written+verified pixels:$samples)"
  fi
}
bar_gone() {  # SHOT: no pixel of the bar's colours is left in its row
  local track written verified
  read -r track written verified < <(bar_pixels "$1")
  [ $((track + written + verified)) -eq 0 ]
}
launch_tail() {  # TRANSCRIPT: its closing run of launch and query frames, if it has a launch
  awk '/ (launch|query) / { tail = tail $0 "\n"; launched = launched || / launch /; next }
       { tail = ""; launched = 0 }
       END { if (launched) printf "%s", tail }' "$1"
}
# port_menu_levels SHOT HEIGHT: opens Порт, screenshots it as SHOT and sets
# text_bands (one "first last darkest" line per item of text) and levels
# (the darkest grey of each); greyed items are drawn lighter than black text.
port_menu_levels() {
  click "$port_title_x" $((menu_height / 2))
  sleep 1
  screenshot "$1"
  mapfile -t text_bands < <(python3 tests/windows/screen_pixels.py bands "$work/$1.ppm" \
    $((window_x + port_items_x)) $((window_y + port_items_y)) "$port_items_width" "$2")
  local band
  darkest=""
  for band in "${text_bands[@]}"; do darkest+=" ${band##* }"; done
  read -r -a levels <<<"$darkest"
}
