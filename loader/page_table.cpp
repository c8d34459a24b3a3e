#include "loader/page_table.h"

#include <cstring>

#include "link/boot_link.h"
#include "loader/run_context.h"

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

int WritePageRange(RunContext& run, const PageTable& table, uint32_t start, uint32_t end,
                   uint32_t base) {
  for (uint32_t address = start; address < end; address += pageSize) {
    if (!InsideTable(table, address, base)) return pageOutsideTable;
    const uint8_t* page = PageAt(table, address, base);
    if (page == nullptr) continue;
    if (StopRequested(run)) return stepStopped;
    run.step.address = address;
    run.step.kind = StepKind::erase;
    if (const int result = run.link.ErasePage(address)) return result;
    run.step.kind = StepKind::write;
    if (const int result = run.link.WritePage(address, page)) return result;
    ReportPage(run, PageWork::written, address);
  }
  return 0;
}

int VerifyPageRange(RunContext& run, const PageTable& table, uint32_t start, uint32_t end,
                    uint32_t base) {
  for (uint32_t address = start; address < end; address += pageSize) {
    if (!InsideTable(table, address, base)) return pageOutsideTable;
    const uint8_t* page = PageAt(table, address, base);
    if (page == nullptr) continue;
    if (StopRequested(run)) return stepStopped;
    run.step.address = address;
    run.step.kind = StepKind::read;
    if (const int result = run.link.ReadPage(address, run.readBuffer)) return result;
    run.step.kind = StepKind::compare;
    if (std::memcmp(run.readBuffer + readAnswerHeaderLength, page, pageSize) != 0) {
      return pageMismatch;
    }
    ReportPage(run, PageWork::verified, address);
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
