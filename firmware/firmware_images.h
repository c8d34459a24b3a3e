// The built-in images of the three controllers, compiled in from the Intel
// HEX files beside this header, with controller 1's default coefficients.
#pragma once

#include <cstdint>

#include "link/device_layout.h"
#include "loader/page_table.h"
#include "loader/procedures.h"

// Each with base firmwareBase and firmwareTableEntries entries.
extern const PageTable controller1Image;
extern const PageTable controller2Image;
extern const PageTable controller3Image;

inline FirmwareTables BuiltInFirmwareTables() {
  return {&controller1Image, &controller2Image, &controller3Image};
}
