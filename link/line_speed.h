// How long bytes take on the device's line: 57600 baud, ten bits a byte
// (start, eight data, stop). The one place the line's pace is reckoned.
#pragma once

constexpr int lineBaud = 57600;
constexpr int lineBitsPerByte = 10;

constexpr double LineMilliseconds(int bytes) {
  return bytes * lineBitsPerByte * 1000.0 / lineBaud;
}
