#include "loader/page_table.h"

#include <cstring>

#include "link/boot_link.h"
#include "loader/report.h"
#include "loader/stop_request.h"

namespace {

constexpr int pageMismatch = -1;
constexpr int pageOutsideTable = -1;

// Null when the table has nothing for the page at `address`.
const uint8_t* PageAt(const PageTable& table, uint32_t address, uint32_t base) {
  const uint32_t index = address / pageSize - base / pageSize;
  return table.pages[index];
}

bool InsideTable(const PageTable& table, uint32_t address, uint32_t base) {
  return address >= base && address / pageSize - base / pageSize < uint32_t(table.pageCount);
}

}  // namespace

int WritePageRange(const PageTable& table, uint32_t start, uint32_t end, uint32_t base) {
  for (uint32_t address = start; address < end; address += pageSize) {
    if (!InsideTable(table, address, base)) return pageOutsideTable;
    const uint8_t* page = PageAt(table, address, base);
    if (page == nullptr) continue;
    if (StopRequested()) return stepStopped;
    if (const int result = cm.ErasePage(address)) return result;
    if (const int result = cm.WritePage(address, page)) return result;
    ReportPage(PageWork::written, address);
  }
  return 0;
}

int VerifyPageRange(const PageTable& table, uint32_t start, uint32_t end, uint32_t base) {
  static uint8_t readBuffer[linkBufferSize];
  for (uint32_t address = start; address < end; address += pageSize) {
    if (!InsideTable(table, address, base)) return pageOutsideTable;
    const uint8_t* page = PageAt(table, address, base);
    if (page == nullptr) continue;
    if (StopRequested()) return stepStopped;
    if (const int result = cm.ReadPage(address, readBuffer)) return result;
    if (std::memcmp(readBuffer + readAnswerHeaderLength, page, pageSize) != 0) return pageMismatch;
    ReportPage(PageWork::verified, address);
  }
  return 0;
}

const uint8_t* PresentPage(const PageTable& table, uint32_t address, uint32_t base) {
  return InsideTable(table, address, base) ? PageAt(table, address, base) : nullptr;
}

int CountPresentPages(const PageTable& table, uint32_t start, uint32_t end, uint32_t base) {
  int count = 0;
  for (uint32_t address = start; address < end; address += pageSize) {
    if (PresentPage(table, address, base) != nullptr) ++count;
  }
  return count;
}
