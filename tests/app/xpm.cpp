#include "tests/app/xpm.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

bool ParseXpm(const char* const* data, XpmPicture* picture) {
  XpmPicture p;
  if (std::sscanf(data[0], "%d %d %d %d", &p.width, &p.height, &p.colourCount,
                  &p.charsPerPixel) != 4) {
    return false;
  }
  struct Colour {
    bool none;
    Rgb rgb;
  };
  std::map<std::string, Colour> colours;
  for (int i = 1; i <= p.colourCount; ++i) {
    std::string line = data[i];
    std::string code = line.substr(0, p.charsPerPixel);
    std::string rest = line.substr(p.charsPerPixel);
    if (rest == " c None") {
      colours[code] = {true, {0, 0, 0}};
    } else if (rest.size() == 10 && rest.compare(0, 4, " c #") == 0) {
      unsigned long value = std::strtoul(rest.c_str() + 4, nullptr, 16);
      colours[code] = {false, {uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)}};
    } else {
      return false;
    }
  }
  if (static_cast<int>(colours.size()) != p.colourCount) return false;
  for (int y = 0; y < p.height; ++y) {
    const char* row = data[1 + p.colourCount + y];
    if (static_cast<int>(std::strlen(row)) != p.width * p.charsPerPixel) return false;
    for (int x = 0; x < p.width; ++x) {
      auto found = colours.find(std::string(row + x * p.charsPerPixel, p.charsPerPixel));
      if (found == colours.end()) return false;
      p.transparent.push_back(found->second.none);
      p.pixels.push_back(found->second.rgb);
    }
  }
  *picture = p;
  return true;
}

std::set<Rgb> OpaqueColours(const XpmPicture& picture) {
  std::set<Rgb> result;
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    if (!picture.transparent[i]) result.insert(picture.pixels[i]);
  }
  return result;
}
