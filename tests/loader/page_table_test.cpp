#include "loader/page_table.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "link/boot_link.h"
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
  EXPECT_EQ(WritePageRange(device.run, table.table, 0x2080, 0x2080, base), PageResult::done) << "empty range";
  EXPECT_EQ(WritePageRange(device.run, table.table, 0x20C0, 0x2080, base), PageResult::done) << "start after end";
  EXPECT_EQ(WritePageRange(device.run, table.table, 0x20C0, 0x2200, base), PageResult::done) << "only empty entries";
  EXPECT_EQ(VerifyPageRange(device.run, table.table, 0x20C0, 0x2200, base), PageResult::done);
  EXPECT_TRUE(device.simulator.Transcript().empty());
}

TEST_F(PageRange, ErasesThenWritesEachPresentPageInAscendingOrder) {
  TestTable table(8, {1, 3, 4});
  EXPECT_EQ(WritePageRange(device.run, table.table, base, base + 8 * 64, base), PageResult::done);
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
  EXPECT_EQ(VerifyPageRange(device.run, table.table, base, base + 8 * 64, base), PageResult::done);
  EXPECT_EQ(device.Frames(SimCommand::read).size(), 3u);
}

TEST_F(PageRange, UnacknowledgedEraseStopsBeforeTheWrite) {
  TestTable table(4, {0, 1});
  SimFaults faults;
  faults.dropAnswer = {{SimCommand::erase, 1}};
  device.simulator.SetFaults(faults);
  EXPECT_EQ(WritePageRange(device.run, table.table, base, base + 4 * 64, base), PageResult::noAnswer);
  EXPECT_EQ(device.Kinds(), std::vector<SimCommand>{SimCommand::erase});
}

TEST_F(PageRange, DifferenceAfterAZeroByteIsFoundAndEndsTheCheck) {
  Page withZero = Filled(1);
  withZero[10] = 0x00;
  std::vector<const uint8_t*> entries = {withZero.data(), withZero.data()};
  const PageTable table{entries.data(), 2};
  ASSERT_EQ(WritePageRange(device.run, table, base, base + 128, base), PageResult::done);
  Page differs = withZero;
  differs[11] ^= 0x01;  // same up to and including the zero byte, different after it
  entries[0] = differs.data();
  device.simulator.ClearTranscript();
  EXPECT_NE(VerifyPageRange(device.run, table, base, base + 128, base), PageResult::done);
  EXPECT_EQ(device.Frames(SimCommand::read).size(), 1u) << "the second page is not read";
}

TEST_F(PageRange, CoefficientRangeUsesEntriesByItsBase) {
  TestTable own(2, {0, 1});
  EXPECT_EQ(CountPresentPages(own.table, 0x7000, 0x7080, 0x7000), 2);
  EXPECT_EQ(WritePageRange(device.run, own.table, 0x7000, 0x7080, 0x7000), PageResult::done);
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
  EXPECT_EQ(WritePageRange(device.run, table.table, base + 128, base + 192, base), PageResult::outsideTable);
  EXPECT_TRUE(device.simulator.Transcript().empty());
}

// What ended a transfer, from its result alone (the fresh device holds no page).
TEST(PageRangeResult, SaysWhichOfTheFailuresHappened) {
  const struct {
    const char* what;
    bool verify;
    std::vector<SimFault> dropAnswer;
    int rangePages;
    bool stop;
    PageResult result;
    StepKind step;  // what the failure report names
  } cases[] = {
      {"no answer to an erase", false, {{SimCommand::erase, 1}}, 2, false, PageResult::noAnswer, StepKind::erase},
      {"no answer to a read", true, {{SimCommand::read, 1}}, 2, false, PageResult::noAnswer, StepKind::read},
      {"a page that reads back different", true, {}, 2, false, PageResult::mismatch, StepKind::compare},
      {"a range beyond the table", false, {}, 3, false, PageResult::outsideTable, StepKind::none},
      {"a stop before the first page", true, {}, 2, true, PageResult::stopped, StepKind::none},
  };
  for (const auto& c : cases) {
    TestTable table(2, {0, 1});
    SimOptions options = SimulatedDevice::Unpaced();
    options.faults.dropAnswer = c.dropAnswer;
    SimulatedDevice device(options);
    device.run.stopRequested = c.stop;
    const auto transfer = c.verify ? VerifyPageRange : WritePageRange;
    EXPECT_EQ(transfer(device.run, table.table, base, base + c.rangePages * 64, base), c.result)
        << c.what;
    EXPECT_EQ(device.run.step.kind, c.step) << c.what;
  }
}

// The walk alone, no traffic: 8 entries with pages at 1, 3 and 4.
TEST(PageWalk, VisitsThePresentPagesOfTheRangeOrRefusesItWhole) {
  constexpr uint32_t top = 0xFFFFFE00;  // the table's last entry ends the address space
  const struct {
    const char* what;
    uint32_t tableBase, start, end;
    PageResult result;
    std::vector<uint32_t> visited;
  } cases[] = {
      {"the whole table", base, base, base + 8 * 64, PageResult::done, {0x2040, 0x20C0, 0x2100}},
      {"an empty range", base, base + 64, base + 64, PageResult::done, {}},
      {"start after end", base, base + 3 * 64, base + 64, PageResult::done, {}},
      {"only empty entries", base, base + 5 * 64, base + 8 * 64, PageResult::done, {}},
      {"one page beyond the table", base, base, base + 9 * 64, PageResult::outsideTable, {}},
      {"at the top of the address space", top, top, 0xFFFFFFFF, PageResult::done, {top + 64, top + 192, top + 256}},
  };
  for (const auto& c : cases) {
    TestTable table(8, {1, 3, 4});
    BootLink link{nullptr};  // a visit here sends nothing
    RunContext run{link};
    std::vector<uint32_t> visited;
    const auto visit = [&](uint32_t address, const uint8_t*) { visited.push_back(address); return PageResult::done; };
    EXPECT_EQ(ForEachPresentPage(run, table.table, c.start, c.end, c.tableBase, PageWork::written, visit),
              c.result) << c.what;
    EXPECT_EQ(visited, c.visited) << c.what;
    if (c.result == PageResult::done) {  // the count promises the pages the loops will touch
      EXPECT_EQ(CountPresentPages(table.table, c.start, c.end, c.tableBase), int(visited.size()));
    }
  }
}

}  // namespace
