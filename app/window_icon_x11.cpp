// X11: the icon is an RGB image built from the compiled-in XPM.
#include "app/window_icon.h"

#include <FL/Fl_Pixmap.H>
#include <FL/Fl_RGB_Image.H>

#include "resources/window_icon.h"

void ApplyWindowIcon(Fl_Window* window) {
  // The window copies the picture, so the pixmap and the image may go.
  Fl_Pixmap pixmap(windowIconXpm);
  Fl_RGB_Image icon(&pixmap);
  window->icon(&icon);
}
