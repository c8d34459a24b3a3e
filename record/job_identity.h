// What a job put into a device, as digests the record can compare: the
// built-in firmware, and the 128 bytes sent to the coefficient pages.
#pragma once

#include <cstdint>
#include <string>

#include "loader/procedures.h"

// SHA-256 in hex of the present pages of controllers 1, 2 and 3, in that
// order and by address, 64 bytes each.
std::string FirmwareSha256(const FirmwareTables& tables);

// SHA-256 in hex of a coefficient image's 128 bytes as the table of its
// two pages holds them (base is the address of the table's entry 0).
std::string CoefficientsSha256(const PageTable& table, uint32_t base);
