#include "loader/page_table.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <vector>

#include "link/boot_link.h"
#include "loader/run_context.h"
#include "tests/support/scripted_line.h"
#include "tests/support/simulated_device.h"

namespace {

using Page = std::array<uint8_t, 64>;

Page Filled(uint8_t first) {
  Page page;
  for (int i = 0; i < 64; ++i) page[i] = static_cast<uint8_t>(first + i);
  return page;
}

// A table of `count` entries at base 0x2000 with pages at the given entries.
struct TestTable {
  std::vector<Page> pages;
  std::vector<const uint8_t*> entries;
  PageTable table{};

  TestTable(int count, std::initializer_list<int> present) : entries(count, nullptr) {
    pages.reserve(present.size());
    for (const int entry : present) {
      pages.push_back(Filled(static_cast<uint8_t>(entry)));
      entries[entry] = pages.back().data();
    }
    table = {entries.data(), count};
  }
};

constexpr uint32_t base = 0x2000;

class PageRange : public ::testing::Test {
 protected:
  SimulatedDevice device;
};

TEST_F(PageRange, SendsNothingWhenThereIsNothingToSend) {
  TestTable table(8, {0, 1, 2});
  EXPECT_EQ(WritePageRange(device.run, table.table, 0x2080, 0x2080, base), 0) << "empty range";
  EXPECT_EQ(WritePageRange(device.run, table.table, 0x20C0, 0x2080, base), 0) << "start after end";
  EXPECT_EQ(WritePageRange(device.run, table.table, 0x20C0, 0x2200, base), 0) << "only empty entries";
  EXPECT_EQ(VerifyPageRange(device.run, table.table, 0x20C0, 0x2200, base), 0);
  EXPECT_TRUE(device.simulator.Transcript().empty());
}

TEST_F(PageRange, ErasesThenWritesEachPresentPageInAscendingOrder) {
  TestTable table(8, {1, 3, 4});
  EXPECT_EQ(WritePageRange(device.run, table.table, base, base + 8 * 64, base), 0);
  const std::vector<SimCommand> expected = {SimCommand::erase, SimCommand::write, SimCommand::erase,
                                            SimCommand::write, SimCommand::erase, SimCommand::write};
  EXPECT_EQ(device.Kinds(), expected);
  const auto writes = device.Frames(SimCommand::write);
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0].address, 0x2040u);
  EXPECT_EQ(writes[1].address, 0x20C0u);
  EXPECT_EQ(writes[2].address, 0x2100u);
  const std::vector<uint8_t> memory = device.simulator.Memory(3);
  EXPECT_TRUE(std::equal(table.pages[1].begin(), table.pages[1].end(), memory.begin() + 0x20C0));
  EXPECT_EQ(VerifyPageRange(device.run, table.table, base, base + 8 * 64, base), 0);
  EXPECT_EQ(device.Frames(SimCommand::read).size(), 3u);
}

TEST_F(PageRange, UnacknowledgedEraseStopsBeforeTheWrite) {
  TestTable table(4, {0, 1});
  SimFaults faults;
  faults.dropAnswer = {{SimCommand::erase, 1}};
  device.simulator.SetFaults(faults);
  EXPECT_EQ(WritePageRange(device.run, table.table, base, base + 4 * 64, base), -1);
  EXPECT_EQ(device.Kinds(), std::vector<SimCommand>{SimCommand::erase});
}

TEST_F(PageRange, DifferenceAfterAZeroByteIsFoundAndEndsTheCheck) {
  Page withZero = Filled(1);
  withZero[10] = 0x00;
  std::vector<const uint8_t*> entries = {withZero.data(), withZero.data()};
  const PageTable table{entries.data(), 2};
  ASSERT_EQ(WritePageRange(device.run, table, base, base + 128, base), 0);
  Page differs = withZero;
  differs[11] ^= 0x01;  // same up to and including the zero byte, different after it
  entries[0] = differs.data();
  device.simulator.ClearTranscript();
  EXPECT_NE(VerifyPageRange(device.run, table, base, base + 128, base), 0);
  EXPECT_EQ(device.Frames(SimCommand::read).size(), 1u) << "the second page is not read";
}

TEST_F(PageRange, CoefficientRangeUsesEntriesByItsBase) {
  TestTable own(2, {0, 1});
  EXPECT_EQ(CountPresentPages(own.table, 0x7000, 0x7080, 0x7000), 2);
  EXPECT_EQ(WritePageRange(device.run, own.table, 0x7000, 0x7080, 0x7000), 0);
  const auto writes = device.Frames(SimCommand::write);
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].address, 0x7000u);
  EXPECT_EQ(writes[1].data, std::vector<uint8_t>(own.pages[1].begin(), own.pages[1].end()));

  TestTable firmware(384, {0, 320, 321});
  EXPECT_EQ(CountPresentPages(firmware.table, 0x7000, 0x7080, 0x2000), 2);
  EXPECT_EQ(CountPresentPages(firmware.table, 0x2000, 0x7000, 0x2000), 1);
}

TEST_F(PageRange, RangeBeyondTheTableIsRefusedWithoutTraffic) {
  TestTable table(2, {0, 1});
  EXPECT_EQ(WritePageRange(device.run, table.table, base + 128, base + 192, base), pageOutsideTable);
  EXPECT_TRUE(device.simulator.Transcript().empty());
}

// A caller must be able to tell what ended a transfer from its result alone.
TEST(PageRangeResult, SaysWhichOfTheFailuresHappened) {
  enum class Transfer { write, verify };
  const struct {
    const char* what;
    Transfer transfer;
    std::vector<SimFault> dropAnswer;
    uint32_t end;
    bool stop;
    int result;
    StepKind step;  // what the failure report will name
    std::vector<SimCommand> sent;
  } cases[] = {
      {"no answer to an erase", Transfer::write, {{SimCommand::erase, 1}}, base + 128, false,
       pageNoAnswer, StepKind::erase, {SimCommand::erase}},
      {"no answer to a read", Transfer::verify, {{SimCommand::read, 1}}, base + 128, false,
       pageNoAnswer, StepKind::read, {SimCommand::read}},
      {"a page that reads back different", Transfer::verify, {}, base + 128, false, pageMismatch,
       StepKind::compare, {SimCommand::read}},
      {"a range beyond the table", Transfer::write, {}, base + 192, false, pageOutsideTable,
       StepKind::none, {}},
      {"a stop before the first page", Transfer::verify, {}, base + 128, true, stepStopped,
       StepKind::none, {}},
  };
  const std::set<int> distinct = {0, pageNoAnswer, pageMismatch, pageOutsideTable, stepStopped};
  EXPECT_EQ(distinct.size(), 5u) << "no two endings share a result";
  for (const auto& c : cases) {
    TestTable table(2, {0, 1});
    SimOptions options = SimulatedDevice::Unpaced();
    options.faults.dropAnswer = c.dropAnswer;
    SimulatedDevice device(options);
    device.run.stopRequested = c.stop;
    const int result = c.transfer == Transfer::write
                           ? WritePageRange(device.run, table.table, base, c.end, base)
                           : VerifyPageRange(device.run, table.table, base, c.end, base);
    EXPECT_EQ(result, c.result) << c.what;
    EXPECT_EQ(device.run.step.kind, c.step) << c.what;
    EXPECT_EQ(device.Kinds(), c.sent) << c.what;
  }
}

// The walk alone, over a table of 8 entries with pages at 1, 3 and 4: no
// link traffic is involved, only which pages it visits and what it returns.
class PageWalk : public ::testing::Test {
 protected:
  PageWalk() { line.Attach(link); }

  int Walk(const PageTable& table, uint32_t start, uint32_t end, uint32_t tableBase) {
    return ForEachPresentPage(run, table, start, end, tableBase, PageWork::written,
                              [this](uint32_t address, const uint8_t*) {
                                visited.push_back(address);
                                return 0;
                              });
  }

  ScriptedLine line;
  BootLink link{&line};
  RunContext run{link};
  std::vector<uint32_t> visited;
};

TEST_F(PageWalk, VisitsThePresentPagesOfTheRangeOrRefusesItWhole) {
  const struct {
    const char* what;
    uint32_t start;
    uint32_t end;
    bool stop;
    int result;
    std::vector<uint32_t> visited;
  } cases[] = {
      {"the whole table", base, base + 8 * 64, false, 0, {0x2040, 0x20C0, 0x2100}},
      {"an empty range", base + 64, base + 64, false, 0, {}},
      {"start after end", base + 3 * 64, base + 64, false, 0, {}},
      {"only empty entries", base + 5 * 64, base + 8 * 64, false, 0, {}},
      {"only empty entries, stop requested", base + 5 * 64, base + 8 * 64, true, 0, {}},
      {"stop requested", base, base + 8 * 64, true, stepStopped, {}},
      {"one page beyond the table", base, base + 9 * 64, false, pageOutsideTable, {}},
      {"starting below the base", base - 64, base + 2 * 64, false, pageOutsideTable, {}},
      {"wholly beyond the table", base + 8 * 64, base + 10 * 64, false, pageOutsideTable, {}},
  };
  for (const auto& c : cases) {
    TestTable table(8, {1, 3, 4});
    visited.clear();
    run.stopRequested = c.stop;
    EXPECT_EQ(Walk(table.table, c.start, c.end, base), c.result) << c.what;
    EXPECT_EQ(visited, c.visited) << c.what;
    if (c.result == 0) {
      EXPECT_EQ(CountPresentPages(table.table, c.start, c.end, base), int(c.visited.size()))
          << c.what << ": the count is what the walk visits";
    }
  }
  EXPECT_TRUE(line.writes.empty());
}

// The address is counted past its last page without wrapping to 0 and
// starting over.
TEST_F(PageWalk, EndsAtTheTopOfTheAddressSpace) {
  constexpr uint32_t topBase = 0xFFFFFF00;
  TestTable table(4, {0, 3});
  EXPECT_EQ(Walk(table.table, topBase, 0xFFFFFFFF, topBase), 0);
  EXPECT_EQ(visited, (std::vector<uint32_t>{topBase, 0xFFFFFFC0}));
  EXPECT_EQ(CountPresentPages(table.table, topBase, 0xFFFFFFFF, topBase), 2);
}

TEST_F(PageWalk, AFailedVisitEndsItAndOnlyFinishedPagesAreReported) {
  TestTable table(8, {1, 3, 4});
  std::vector<uint32_t> reported;
  run.reports.page = [&](PageWork, uint32_t address) { reported.push_back(address); };
  constexpr int failure = -42;
  const int result = ForEachPresentPage(run, table.table, base, base + 8 * 64, base,
                                        PageWork::written, [&](uint32_t address, const uint8_t*) {
                                          visited.push_back(address);
                                          return address == 0x20C0 ? failure : 0;
                                        });
  EXPECT_EQ(result, failure);
  EXPECT_EQ(visited, (std::vector<uint32_t>{0x2040, 0x20C0})) << "0x2100 is not visited";
  EXPECT_EQ(reported, std::vector<uint32_t>{0x2040});
  EXPECT_EQ(run.step.address, 0x20C0u) << "the failing page is the step's";
}

}  // namespace
