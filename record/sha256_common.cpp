#include "record/sha256.h"

std::string Sha256Hex(const uint8_t* data, size_t size) {
  static const char digits[] = "0123456789abcdef";
  uint8_t digest[sha256Size];
  if (Sha256(data, size, digest) != 0) return "";
  std::string hex;
  for (uint8_t byte : digest) {
    hex += digits[byte >> 4];
    hex += digits[byte & 0x0F];
  }
  return hex;
}
