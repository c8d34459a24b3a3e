// What a job put into a device, as digests the record can compare: the
// built-in firmware, and the 128 bytes sent to the coefficient pages.
#pragma once

#include <cstdint>
#include <string>

#include "coeff/coefficient_file.h"
#include "loader/procedures.h"

// SHA-256 in hex of the present pages of controllers 1, 2 and 3, in that
// order and by address, 64 bytes each.
std::string FirmwareSha256(const FirmwareTables& tables);

// SHA-256 in hex of the coefficient pages as the table of controller 1's
// firmware holds them (the reset's built-in defaults) ...
std::string CoefficientsSha256(const PageTable& table, uint32_t base);
// ... and of the 128 bytes of a coefficient file's image.
std::string CoefficientsSha256(const CoefficientImage& image);
