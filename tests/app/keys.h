// Key presses delivered straight to a window, as the X server would send them.
#pragma once

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <cstring>

inline int PressKey(Fl_Window* window, int key, int state, const char* text) {
  static char buffer[8];
  std::strncpy(buffer, text, sizeof buffer - 1);
  Fl::e_keysym = key;
  Fl::e_state = state;
  Fl::e_text = buffer;
  Fl::e_length = static_cast<int>(std::strlen(buffer));
  return Fl::handle(FL_KEYBOARD, window);
}
