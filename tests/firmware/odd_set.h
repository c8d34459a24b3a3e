// The firmware set the tests load, compile in and spoil: 60, 42 and 10
// pages, none of the placeholders' counts, some covered only in part, one
// far from the others.
#pragma once

#include <array>
#include <vector>

#include "link/device_layout.h"
#include "tests/support/hex_text.h"

using SetBytes = std::array<HexBytes, controllerCount>;

inline SetBytes OddSetBytes() {
  SetBytes bytes;
  bytes[0] = PatternBytes(1, firmwareBase, 59 * pageSize + 44);     // the last page partial
  bytes[1] = PatternBytes(2, firmwareBase + 8, 42 * pageSize - 8);  // the first page partial
  bytes[2] = PatternBytes(3, firmwareBase, 9 * pageSize);
  const HexBytes top = PatternBytes(3, applicationEnd - 16, 16);  // the tenth, at the very top
  bytes[2].insert(top.begin(), top.end());
  return bytes;
}

constexpr char oddSetRelease[] = "Проверочный выпуск 60/42/10";

// A controller's memory once `bytes` were loaded over `fill`: every page they
// touch written whole, 0xFF where they give nothing.
inline std::vector<uint8_t> MemoryHolding(const HexBytes& bytes, uint8_t fill) {
  std::vector<uint8_t> memory(applicationEnd, fill);
  for (const auto& entry : bytes) {
    const uint32_t page = entry.first - entry.first % pageSize;
    for (uint32_t a = page; a < page + pageSize; ++a) {
      memory[a] = bytes.count(a) ? bytes.at(a) : 0xFF;
    }
  }
  return memory;
}
