#include "app/log_text_width.h"

#include <FL/fl_draw.H>
#include <FL/fl_utf8.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// ASCII, Latin-1, the Cyrillic alphabet, and the dashes, quotes and signs of
// General Punctuation and Letterlike Symbols (№).
struct Range {
  unsigned first;
  unsigned last;
};
constexpr Range measuredRanges[] = {
    {0x20, 0x7E}, {0xA0, 0xFF}, {0x400, 0x45F}, {0x2010, 0x2026}, {0x2116, 0x2116}};
constexpr unsigned tableSize = 0x2117;
constexpr int notMeasured = -1;

// Written once on the GUI thread before any worker exists, then only read.
std::array<int, tableSize> widths = [] {
  std::array<int, tableSize> table{};
  table.fill(notMeasured);
  return table;
}();
int widest = 0;

int CharacterWidth(unsigned c) {
  if (c < tableSize && widths[c] != notMeasured) return widths[c];
  return widest;
}

}  // namespace

void MeasureLogFont(int font, int size) {
  fl_font(font, size);
  // Nothing narrower than the font's size stands in for the unmeasured.
  widest = size;
  for (const Range& range : measuredRanges) {
    for (unsigned c = range.first; c <= range.last; ++c) {
      widths[c] = static_cast<int>(std::ceil(fl_width(c)));
      widest = std::max(widest, widths[c]);
    }
  }
}

int LogTextWidth(const std::string& text) {
  const char* p = text.c_str();
  const char* const end = p + text.size();
  int width = 0;
  while (p < end) {
    int length = 0;
    const unsigned c = fl_utf8decode(p, end, &length);
    width += CharacterWidth(c);
    p += length > 0 ? length : 1;
  }
  return width;
}
