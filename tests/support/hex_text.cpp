#include "tests/support/hex_text.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int dataRecord = 0x00;
constexpr int endRecord = 0x01;
constexpr int linearAddressRecord = 0x04;

}  // namespace

std::string HexRecord(int type, uint32_t offset, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> body = {static_cast<uint8_t>(payload.size()),
                               static_cast<uint8_t>(offset >> 8), static_cast<uint8_t>(offset),
                               static_cast<uint8_t>(type)};
  body.insert(body.end(), payload.begin(), payload.end());
  uint8_t sum = 0;
  std::string text = ":";
  for (const uint8_t byte : body) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02X", byte);
    text += digits;
    sum = static_cast<uint8_t>(sum + byte);
  }
  char check[4];
  std::snprintf(check, sizeof check, "%02X", static_cast<uint8_t>(-sum));
  return text + check + "\n";
}

std::string HexText(const HexBytes& bytes, int perRecord, bool reversed) {
  struct Run {
    uint32_t start;
    std::vector<uint8_t> data;
  };
  std::vector<Run> runs;
  for (const auto& [address, value] : bytes) {
    const bool extends = !runs.empty() && runs.back().start + runs.back().data.size() == address &&
                         int(runs.back().data.size()) < perRecord &&
                         (runs.back().start >> 16) == (address >> 16);
    if (!extends) runs.push_back({address, {}});
    runs.back().data.push_back(value);
  }
  if (reversed) std::reverse(runs.begin(), runs.end());
  std::string text;
  uint32_t upper = 0;
  for (const Run& run : runs) {
    if (run.start >> 16 != upper) {
      upper = run.start >> 16;
      text += HexRecord(linearAddressRecord, 0,
                        {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)});
    }
    text += HexRecord(dataRecord, run.start & 0xFFFF, run.data);
  }
  return text + HexRecord(endRecord, 0, {});
}

HexBytes PatternBytes(int controller, uint32_t start, uint32_t count) {
  static const uint8_t escaped[] = {0x04, 0x05, 0x0F};
  HexBytes bytes;
  for (uint32_t k = 0; k < count; ++k) {
    const uint32_t address = start + k;
    const uint8_t value = k % 7 == 0 ? escaped[(address / 7) % 3]
                                     : static_cast<uint8_t>(address * 31 + controller * 17);
    bytes[address] = value;
  }
  return bytes;
}
