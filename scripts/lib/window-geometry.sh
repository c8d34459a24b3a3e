# shellcheck shell=bash
# Sourced by the scripts that click and measure velt-loader's windows: where
# their parts are, in pixels from the window's top-left corner. The first
# part copies the C++ named beside each value; the CTest
# scripts_window_geometry_matches_program compares it with the widgets the
# program builds. The rest is derived from it, or measured on the screen.
# shellcheck disable=SC2034  # read by the scripts that source this

# app/main_window.h: mainWindowWidth, mainWindowHeight
main_window_width=224
main_window_height=471
# app/main_window.cpp: menuBarHeight
menu_height=23
# app/main_window.cpp: MakeButton's column * buttonWidth and buttonTop, for
# Загрузка прошивок, Запись коэффициентов, Сброс коэффициентов, Выход
button_lefts=(0 56 112 168)
button_tops=(23 23 23 23)
# app/main_window.cpp: buttonWidth, buttonHeight
button_width=56
button_height=48
# app/main_window.cpp: logTop; the log reaches the window's lower edge
log_top=71
# app/progress_bar.h: progressBarHeight, progressBarGap (rows between the bar
# and the buttons' lower edge)
bar_height=4
bar_gap=1
# app/progress_bar.cpp: progressTrackColour, progressWrittenColour,
# progressVerifiedColour, as RRGGBB
bar_track=787878
bar_written=00a000
bar_verified=0000ff
# chooser/file_dialog.cpp: the name field, margin, nameTop, nameWidth, nameHeight
name_field_x=14
name_field_y=328
name_field_width=301
name_field_height=35

# Derived: the bar's middle row, and a point in the log 40 rows above the
# window's lower edge, below the few lines a short run writes.
bar_row=$((button_tops[0] + button_height - bar_gap - bar_height + bar_height / 2))
log_click_above_bottom=40

# Measured: Порт's title on the menu bar, and the labels "COM 1 " .. "COM 4 "
# in its open menu (inside the menu's frame, right of the radio buttons), as
# FLTK lays them out under wine with the fonts here.
port_title_x=70
port_items_x=82
port_items_y=25
port_items_width=48
port_items_height=85
