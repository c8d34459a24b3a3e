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
  EXPECT_EQ(WritePageRange(device.run, table.table, base + 128, base + 192, base), -1);
  EXPECT_TRUE(device.simulator.Transcript().empty());
}

}  // namespace
