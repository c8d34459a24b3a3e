// Intel HEX text and firmware set folders made by the tests, so that each
// case states the bytes it means instead of shipping files.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

using HexBytes = std::map<uint32_t, uint8_t>;

// One record with its checksum: ":LLAAAATT...CC".
std::string HexRecord(int type, uint32_t offset, const std::vector<uint8_t>& payload);

// The bytes as data records of at most `perRecord` bytes each (runs of
// consecutive addresses), extended linear address records where the upper
// half changes, then the end record. `reversed` writes the records last
// address first: a reader must not care.
std::string HexText(const HexBytes& bytes, int perRecord = 16, bool reversed = false);

// `count` bytes from `start`, of a pattern that differs per controller and
// holds the line's escaped bytes.
HexBytes PatternBytes(int controller, uint32_t start, uint32_t count);
