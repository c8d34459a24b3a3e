#include <cstdint>
#include <random>

#include <gtest/gtest.h>

#include "coeff/device_float.h"
#include "tests/coeff/float_bits.h"

namespace {

uint32_t Packed(DeviceFloat value) {
  return uint32_t{value.bytes[0]} << 24 | uint32_t{value.bytes[1]} << 16 |
         uint32_t{value.bytes[2]} << 8 | value.bytes[3];
}

TEST(DeviceFloat, WorkedExamples) {
  struct Case {
    uint32_t ieee;
    uint32_t device;  // bytes in page order
  };
  const Case cases[] = {
      {0x3F800000, 0x7F000000},  // 1.0
      {0xC0200000, 0x80A00000},  // -2.5
      {0x00000000, 0x00000000},  // 0.0
      {0x80000000, 0x00800000},  // -0.0
      {0x3F000000, 0x7E000000},  // 0.5
      {0x42C80000, 0x85480000},  // 100.0
      {0x43160000, 0x86160000},  // 150.0
      {0x7F800000, 0xFF000000},  // inf
      {0xFF800000, 0xFF800000},  // -inf
      {0x7FC00000, 0xFF400000},  // nan
      {0xFFA12345, 0xFFA12345},  // signalling nan with a payload and sign
      {0x00000001, 0x00000001},  // smallest subnormal
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Packed(ToDeviceFloat(FromBits(c.ieee))), c.device) << std::hex << c.ieee;
  }
}

TEST(DeviceFloat, RoundTripKeepsEveryBit) {
  std::mt19937 random(7);
  for (int i = 0; i < 100000; ++i) {
    const uint32_t bits = random();
    EXPECT_EQ(Bits(FromDeviceFloat(ToDeviceFloat(FromBits(bits)))), bits) << std::hex << bits;
  }
}

}  // namespace
