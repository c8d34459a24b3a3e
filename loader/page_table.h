// An image as a table of 64-byte pages, and the two loops that move a range
// of it over a job's bootloader link: erase-and-write, and read-and-compare.
#pragma once

#include <cstdint>

struct RunContext;

// Entry k stands for the page at base + 64 k; a null entry means the image
// has nothing there, and that page costs no traffic at all. The table knows
// neither its base nor its address range: the caller supplies both.
struct PageTable {
  const uint8_t* const* pages;
  int pageCount;
};

// Erases and writes every present page in [start, end), ascending. Returns 0,
// or the result of the first bootloader operation that failed.
int WritePageRange(RunContext& run, const PageTable& table, uint32_t start, uint32_t end,
                   uint32_t base);

// Reads back every present page in [start, end) and compares all 64 bytes.
// Returns 0, the failing read's result, or -1 at the first page that differs.
int VerifyPageRange(RunContext& run, const PageTable& table, uint32_t start, uint32_t end,
                    uint32_t base);

// The page at `address`, or null when the table has nothing there or does
// not reach that far.
const uint8_t* PresentPage(const PageTable& table, uint32_t address, uint32_t base);

// Number of present pages in [start, end): what the two loops will touch.
int CountPresentPages(const PageTable& table, uint32_t start, uint32_t end, uint32_t base);
