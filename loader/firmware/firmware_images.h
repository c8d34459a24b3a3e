// The built-in images of the three controllers, compiled in from the Intel
// HEX files beside this header, with controller 1's default coefficients.
#pragma once

#include <cstdint>

#include "loader/page_table.h"
#include "loader/procedures.h"

constexpr uint32_t firmwareBase = 0x2000;
constexpr int firmwareTableEntries = 384;  // 0x2000 up to 0x8000

extern const PageTable controller1Image;
extern const PageTable controller2Image;
extern const PageTable controller3Image;

inline FirmwareTables BuiltInFirmwareTables() {
  return {&controller1Image, &controller2Image, &controller3Image};
}
