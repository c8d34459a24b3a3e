// The device's 4-byte float: the fields of an IEEE 754 single rearranged as
// exponent byte, then sign with the top 7 fraction bits, then the low 16
// fraction bits. Lossless both ways.
#pragma once

#include <cstdint>

struct DeviceFloat {
  uint8_t bytes[4];
};

DeviceFloat ToDeviceFloat(float value);
float FromDeviceFloat(DeviceFloat value);
