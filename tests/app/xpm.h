// Reads the compiled-in XPM pictures back into pixels for the tests.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

struct Rgb {
  uint8_t r, g, b;
  bool operator<(const Rgb& o) const { return (r << 16 | g << 8 | b) < (o.r << 16 | o.g << 8 | o.b); }
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct XpmPicture {
  int width = 0;
  int height = 0;
  int charsPerPixel = 0;
  int colourCount = 0;
  std::vector<bool> transparent;  // row by row
  std::vector<Rgb> pixels;        // meaningless where transparent
};

// Returns false when the data is not a well-formed XPM of '#RRGGBB' and
// 'None' colours.
bool ParseXpm(const char* const* data, XpmPicture* picture);

// The colours of the picture's opaque pixels.
std::set<Rgb> OpaqueColours(const XpmPicture& picture);
