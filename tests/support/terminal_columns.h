// Columns as a terminal counts them for the programs' texts: one per
// character, counted independently of the code under test.
#pragma once

#include <string>

inline int Characters(const std::string& text) {
  int count = 0;
  for (unsigned char byte : text) count += (byte & 0xC0) != 0x80;
  return count;
}
