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

// How the walk and the two loops end.
enum class PageResult {
  done,          // every present page of the range
  noAnswer,      // an erase, write or read got no valid answer
  mismatch,      // a page read back different from the table's
  outsideTable,  // the range leaves the table; nothing was sent
  stopped,       // a stop was requested before a present page; nothing more was sent
};

// What the walk does at one present page: done to go on, anything else ends
// the walk with that result.
using PageVisit = std::function<PageResult(uint32_t address, const uint8_t* page)>;

// Visits every present page in [start, end), ascending, with the page's
// address noted in the run's step; each page whose visit returned 0 is
// reported as `work`. Returns done, stopped, outsideTable (checked before the
// first visit), or the first result of `visit` that is not done.
PageResult ForEachPresentPage(RunContext& run, const PageTable& table, uint32_t start, uint32_t end,
                       uint32_t base, PageWork work, const PageVisit& visit);

// Erases and writes every present page in [start, end), ascending. Returns
// done, noAnswer at the first erase or write that got no valid answer,
// outsideTable or stopped.
PageResult WritePageRange(RunContext& run, const PageTable& table, uint32_t start, uint32_t end,
                   uint32_t base);

// Reads back every present page in [start, end) and compares all 64 bytes.
// Returns done, noAnswer at the first read that got no valid answer,
// mismatch at the first page that differs (later pages are not read),
// outsideTable or stopped.
PageResult VerifyPageRange(RunContext& run, const PageTable& table, uint32_t start, uint32_t end,
                    uint32_t base);

// Reads every page of [start, end), whatever it holds, into `destination`
// (end - start bytes), each reported as verified. Returns done, noAnswer at
// the first read that got no valid answer, or stopped.
PageResult ReadEveryPage(RunContext& run, uint32_t start, uint32_t end, uint8_t* destination);

// Reads the page at `address` into the run's read buffer: done or noAnswer.
PageResult ReadPageStep(RunContext& run, uint32_t address);
// The 64 bytes of the page ReadPageStep read last.
const uint8_t* PageRead(const RunContext& run);

// The page at `address`, or null when the table has nothing there or does
// not reach that far.
const uint8_t* PresentPage(const PageTable& table, uint32_t address, uint32_t base);

// Number of present pages in [start, end): what the two loops will touch.
int CountPresentPages(const PageTable& table, uint32_t start, uint32_t end, uint32_t base);
