// Comparing a device's memory with an image: the bytes of the image's present
// pages in a range, and the bytes a memory holds at those same pages.
#pragma once

#include <cstdint>
#include <vector>

#include "loader/page_table.h"

std::vector<uint8_t> ImageBytes(const PageTable& table, uint32_t start, uint32_t end, uint32_t base);
std::vector<uint8_t> MemoryBytesAtImage(const std::vector<uint8_t>& memory, const PageTable& table,
                                        uint32_t start, uint32_t end, uint32_t base);

// `memory` with the image's present pages in [start, end) put in place, as a
// device holds them after a load.
std::vector<uint8_t> MemoryWithImage(std::vector<uint8_t> memory, const PageTable& table,
                                     uint32_t start, uint32_t end, uint32_t base);
