// The main window's pixels as the X server holds them, for tests that check
// what the operator sees.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/app/xpm.h"

struct WindowPixels {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  Rgb At(int x, int y) const {
    const uint8_t* p = &rgb[3 * (y * width + x)];
    return {p[0], p[1], p[2]};
  }
};

// Draws what is pending, then reads the whole main window back.
WindowPixels ReadMainWindow();

int PixelsOfColour(const WindowPixels& screen, int x, int y, int w, int h, Rgb colour);

// The toolkit colour as the 24-bit display shows it.
Rgb RgbOf(unsigned colour);
