// An image as a table of 64-byte pages, the walk over the present pages of a
// range, and the two loops built on it that move a range over a job's
// bootloader link: erase-and-write, and read-and-compare.
#pragma once

#include <cstdint>
#include <functional>

#include "link/boot_link.h"
#include "loader/report.h"

struct RunContext;

// Entry k stands for the page at base + 64 k; a null entry means the image
// has nothing there, and that page costs no traffic at all. The table knows
// neither its base nor its address range: the caller supplies both.
struct PageTable {
  const uint8_t* const* pages;
  int pageCount;
};

// The results of the walk and of the two loops besides 0 (every present page
// of the range done) and stepStopped (a stop was requested before a present
// page; nothing more was sent).
constexpr int pageNoAnswer = exchangeUnanswered;  // an erase, write or read got no valid answer
constexpr int pageMismatch = -10;                 // a page read back different from the table's
constexpr int pageOutsideTable = -11;             // the range leaves the table; nothing was sent

// What the walk does at one present page: 0 to go on, anything else ends the
// walk with that result.
using PageVisit = std::function<int(uint32_t address, const uint8_t* page)>;

// Visits every present page in [start, end), ascending, with the page's
// address noted in the run's step; each page whose visit returned 0 is
// reported as `work`. Returns 0, stepStopped, pageOutsideTable (checked
// before the first visit), or the first non-zero result of `visit`.
int ForEachPresentPage(RunContext& run, const PageTable& table, uint32_t start, uint32_t end,
                       uint32_t base, PageWork work, const PageVisit& visit);

// Erases and writes every present page in [start, end), ascending. Returns 0,
// pageNoAnswer at the first erase or write that got no valid answer,
// pageOutsideTable or stepStopped.
int WritePageRange(RunContext& run, const PageTable& table, uint32_t start, uint32_t end,
                   uint32_t base);

// Reads back every present page in [start, end) and compares all 64 bytes.
// Returns 0, pageNoAnswer at the first read that got no valid answer,
// pageMismatch at the first page that differs (later pages are not read),
// pageOutsideTable or stepStopped.
int VerifyPageRange(RunContext& run, const PageTable& table, uint32_t start, uint32_t end,
                    uint32_t base);

// Reads the page at `address` into the run's read buffer: 0 or pageNoAnswer.
int ReadPageStep(RunContext& run, uint32_t address);
// The 64 bytes of the page ReadPageStep read last.
const uint8_t* PageRead(const RunContext& run);

// The page at `address`, or null when the table has nothing there or does
// not reach that far.
const uint8_t* PresentPage(const PageTable& table, uint32_t address, uint32_t base);

// Number of present pages in [start, end): what the two loops will touch.
int CountPresentPages(const PageTable& table, uint32_t start, uint32_t end, uint32_t base);
