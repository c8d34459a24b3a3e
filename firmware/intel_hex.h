// Reads Intel HEX text (the form firmware ships in) into address -> byte.
// Used at build time to compile the firmware images in.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct HexImage {
  std::map<uint32_t, uint8_t> bytes;
};

// Parses `text`. Returns 0 and fills `image`, or -1 with a message naming the
// line in `error` (bad character, length, checksum, record type, a byte given
// twice, data after the end record, no end record).
int ParseIntelHex(const std::string& text, HexImage& image, std::string& error);
