// A float's IEEE 754 bits and back, for tests that name values by their bits.
#pragma once

#include <cstdint>
#include <cstring>

inline uint32_t Bits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline float FromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
