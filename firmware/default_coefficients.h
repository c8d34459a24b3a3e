// Controller 1's default coefficients, the two pages the reset job writes
// back. Every firmware set carries them: a set never brings coefficients of
// its own.
#pragma once

#include <array>
#include <cstdint>

#include "link/device_layout.h"

using DefaultCoefficientImage = std::array<uint8_t, coefficientPagesSize>;

// 1.0 for values 7, 11, 20 and 28, 0.0 for the others, in the device's
// float, then the filler words of 0xFF.
DefaultCoefficientImage DefaultCoefficients();
