// Windows: icon resource 101 of the program's own module (velt-loader.rc).
#include "app/window_icon.h"

#include <windows.h>

#include "resources/window_icon.h"

void ApplyWindowIcon(Fl_Window* window) {
  // A null handle leaves the system's default application icon.
  HICON icon = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(windowIconResource));
  window->icon(static_cast<const void*>(icon));
}
