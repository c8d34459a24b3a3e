#include "tests/app/window_pixels.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include "app/main_window.h"

WindowPixels ReadMainWindow() {
  Fl::flush();
  WindowPixels screen;
  screen.width = mainWindow->w();
  screen.height = mainWindow->h();
  mainWindow->make_current();
  uchar* pixels = fl_read_image(nullptr, 0, 0, screen.width, screen.height);
  screen.rgb.assign(pixels, pixels + 3 * screen.width * screen.height);
  delete[] pixels;
  return screen;
}

int PixelsOfColour(const WindowPixels& screen, int x, int y, int w, int h, Rgb colour) {
  int count = 0;
  for (int row = y; row < y + h; ++row) {
    for (int column = x; column < x + w; ++column) count += screen.At(column, row) == colour;
  }
  return count;
}

Rgb RgbOf(unsigned colour) {
  uchar r = 0, g = 0, b = 0;
  Fl::get_color(colour, r, g, b);
  return {r, g, b};
}
