// A device that holds a firmware set from the start: the model's preload,
// and velt-sim's --memory that fills it from a set's folder.
#include "sim/sim_preload.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "firmware/firmware_set.h"
#include "sim/device_model.h"
#include "tests/support/hex_text.h"
#include "tests/support/temporary_folder.h"

namespace {

constexpr uint8_t fill = 0x00;  // so that the set's own 0xFF padding shows

TEST(SimPreload, BlocksLieOverTheFillAndNothingElseChanges) {
  SimOptions options;
  options.fill = fill;
  options.preload = {{1, 0x2000, {1, 2, 3}}, {3, 0x7FFE, {9, 8}}, {1, 0x2001, {7}}};
  DeviceModel model;
  InitDeviceModel(&model, options);
  std::vector<uint8_t> expected1(simMemorySize, fill), expected3(simMemorySize, fill);
  expected1[0x2000] = 1;
  expected1[0x2001] = 7;  // a later block over an earlier one
  expected1[0x2002] = 3;
  expected3[0x7FFE] = 9;
  expected3[0x7FFF] = 8;
  EXPECT_EQ(model.memory[0], expected1);
  EXPECT_EQ(model.memory[1], std::vector<uint8_t>(simMemorySize, fill));
  EXPECT_EQ(model.memory[2], expected3);
}

// Every byte of each controller: the set's page where it has one (its padding
// included), the fill elsewhere, and controller 1's coefficient pages too.
TEST(SimPreload, TheDeviceHoldsTheSetsFirmwarePagesAndKeepsItsCoefficients) {
  const TemporaryFolder scratch{"velt-sim-preload"};
  ASSERT_TRUE(scratch.Ok());
  HexBytes bytes[controllerCount] = {PatternBytes(1, 0x2000, 60 * 64 - 20),
                                     PatternBytes(2, 0x2010, 42 * 64 - 16),
                                     PatternBytes(3, 0x7D80, 10 * 64 - 1)};
  for (int k = 0; k < controllerCount; ++k) {
    scratch.Write(firmwareSetFiles[k], HexText(bytes[k]));
  }
  SimOptions options;
  options.fill = fill;
  std::string error;
  ASSERT_EQ(PreloadFirmwareSet(scratch.Path(), &options, &error), 0) << error;
  DeviceModel model;
  InitDeviceModel(&model, options);
  for (int k = 0; k < controllerCount; ++k) {
    for (uint32_t address = 0; address < simMemorySize; ++address) {
      const uint32_t page = address - address % pageSize;
      const bool pageGiven = bytes[k].lower_bound(page) != bytes[k].end() &&
                             bytes[k].lower_bound(page)->first < page + pageSize;
      const auto given = bytes[k].find(address);
      const int want = given != bytes[k].end() ? given->second : pageGiven ? 0xFF : fill;
      ASSERT_EQ(model.memory[k][address], want) << "controller " << k + 1 << std::hex << " at 0x"
                                                << address;
    }
  }
}

TEST(SimPreload, ARefusedSetSaysWhyInTheReadersWords) {
  const TemporaryFolder scratch{"velt-sim-preload"};
  ASSERT_TRUE(scratch.Ok());
  scratch.Write("controller1.hex", HexText(PatternBytes(1, 0x2000, 64)));
  scratch.Write("controller2.hex", ":022000000405D4\n:00000001FF\n");
  scratch.Write("controller3.hex", HexText(PatternBytes(3, 0x2000, 64)));
  SimOptions options;
  std::string error;
  EXPECT_EQ(PreloadFirmwareSet(scratch.Path(), &options, &error), -1);
  EXPECT_EQ(error, scratch.Path() + "/controller2.hex, строка 1: неверная контрольная сумма");
  EXPECT_TRUE(options.preload.empty());
}

}  // namespace
