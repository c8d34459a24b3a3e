// Cuts the byte stream the device hears into frames: 0F 0F, body, 04.
// Noise between frames is skipped; an unescaped 0F inside a body starts over.
#pragma once

#include <cstdint>
#include <vector>

struct FrameAssembler {
  std::vector<uint8_t> raw;   // the frame so far, markers and escapes included
  std::vector<uint8_t> body;  // the same body unescaped (kept for frames that fail their checksum)
  int starts = 0;             // start markers seen in a row while hunting
  bool inBody = false;
  bool escaped = false;
};

// Longest frame the device takes; anything longer is line noise and dropped.
constexpr int assemblerMaxFrame = 512;

// Feeds one byte. Returns true when it ends a frame; `raw` and `body` then
// hold it until the next call.
bool AssembleByte(FrameAssembler* assembler, uint8_t byte);
