#include "loader/page_table.h"

#include <cstring>
#include <vector>

#include "loader/run_context.h"

namespace {

// Null when the table has nothing for the page at `address`.
const uint8_t* PageAt(const PageTable& table, uint32_t address, uint32_t base) {
  const uint32_t index = address / pageSize - base / pageSize;
  return table.pages[index];
}

bool InsideTable(const PageTable& table, uint32_t address, uint32_t base) {
  return address >= base && address / pageSize - base / pageSize < uint32_t(table.pageCount);
}

// The first and the last address a walk over [start, end) stops at are
// enough: the entry index grows with the address.
bool RangeInsideTable(const PageTable& table, uint32_t start, uint32_t end, uint32_t base) {
  if (start >= end) return true;
  const uint32_t last = start + (end - 1 - start) / pageSize * pageSize;
  return InsideTable(table, start, base) && InsideTable(table, last, base);
}

}  // namespace

PageResult ForEachPresentPage(RunContext& run, const PageTable& table, uint32_t start, uint32_t end,
                       uint32_t base, PageWork work, const PageVisit& visit) {
  if (!RangeInsideTable(table, start, end, base)) return PageResult::outsideTable;
  // Counted wider than an address, so that a range at the top of the address
  // space ends.
  for (uint64_t wide = start; wide < end; wide += pageSize) {
    const uint32_t address = uint32_t(wide);
    const uint8_t* page = PageAt(table, address, base);
    if (page == nullptr) continue;
    if (StopRequested(run)) return PageResult::stopped;
    run.step.address = address;
    const PageResult result = visit(address, page);
    if (result != PageResult::done) return result;
    ReportPage(run, work, address);
  }
  return PageResult::done;
}

PageResult WritePageRange(RunContext& run, const PageTable& table, uint32_t start, uint32_t end,
                   uint32_t base) {
  return ForEachPresentPage(run, table, start, end, base, PageWork::written,
                            [&run](uint32_t address, const uint8_t* page) {
                              run.step.kind = StepKind::erase;
                              if (run.link.ErasePage(address) != 0) return PageResult::noAnswer;
                              run.step.kind = StepKind::write;
                              if (run.link.WritePage(address, page) != 0) {
                                return PageResult::noAnswer;
                              }
                              return PageResult::done;
                            });
}

PageResult VerifyPageRange(RunContext& run, const PageTable& table, uint32_t start, uint32_t end,
                    uint32_t base) {
  return ForEachPresentPage(run, table, start, end, base, PageWork::verified,
                            [&run](uint32_t address, const uint8_t* page) {
                              const PageResult read = ReadPageStep(run, address);
                              if (read != PageResult::done) return read;
                              run.step.kind = StepKind::compare;
                              const bool same = std::memcmp(PageRead(run), page, pageSize) == 0;
                              return same ? PageResult::done : PageResult::mismatch;
                            });
}

PageResult ReadEveryPage(RunContext& run, uint32_t start, uint32_t end, uint8_t* destination) {
  // A table over the destination itself makes each page present.
  std::vector<const uint8_t*> entries((end - start) / pageSize);
  for (size_t k = 0; k < entries.size(); ++k) entries[k] = destination + k * pageSize;
  const PageTable table{entries.data(), int(entries.size())};
  return ForEachPresentPage(run, table, start, end, start, PageWork::verified,
                            [&](uint32_t address, const uint8_t*) {
                              const PageResult read = ReadPageStep(run, address);
                              if (read != PageResult::done) return read;
                              std::memcpy(destination + (address - start), PageRead(run),
                                          pageSize);
                              return PageResult::done;
                            });
}

PageResult ReadPageStep(RunContext& run, uint32_t address) {
  run.step.kind = StepKind::read;
  const bool read = run.link.ReadPage(address, run.readBuffer) == 0;
  return read ? PageResult::done : PageResult::noAnswer;
}

const uint8_t* PageRead(const RunContext& run) { return run.readBuffer + readAnswerHeaderLength; }

const uint8_t* PresentPage(const PageTable& table, uint32_t address, uint32_t base) {
  return InsideTable(table, address, base) ? PageAt(table, address, base) : nullptr;
}

int CountPresentPages(const PageTable& table, uint32_t start, uint32_t end, uint32_t base) {
  int count = 0;
  for (uint64_t address = start; address < end; address += pageSize) {
    if (PresentPage(table, uint32_t(address), base) != nullptr) ++count;
  }
  return count;
}
