#include "coeff/device_float.h"

#include <cstring>

namespace {

constexpr uint32_t signBit = 0x80000000u;
constexpr int exponentShift = 23;
constexpr uint32_t fractionMask = 0x007FFFFFu;

}  // namespace

DeviceFloat ToDeviceFloat(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const uint32_t fraction = bits & fractionMask;
  DeviceFloat result;
  result.bytes[0] = static_cast<uint8_t>(bits >> exponentShift);
  result.bytes[1] = static_cast<uint8_t>(((bits & signBit) ? 0x80 : 0x00) | (fraction >> 16));
  result.bytes[2] = static_cast<uint8_t>(fraction >> 8);
  result.bytes[3] = static_cast<uint8_t>(fraction);
  return result;
}

float FromDeviceFloat(DeviceFloat value) {
  const uint32_t sign = (value.bytes[1] & 0x80) ? signBit : 0;
  const uint32_t bits = sign | (uint32_t{value.bytes[0]} << exponentShift) |
                        (uint32_t{value.bytes[1] & 0x7Fu} << 16) |
                        (uint32_t{value.bytes[2]} << 8) | value.bytes[3];
  float result;
  std::memcpy(&result, &bits, sizeof result);
  return result;
}
