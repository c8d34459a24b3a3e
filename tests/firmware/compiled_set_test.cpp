// A firm's set compiled in instead of the placeholders, as
// -DVELT_FIRMWARE_DIR does it: other page counts, partial pages and a
// release line go through the build, and the firmware job loads them. This
// program links the odd set's images, not the placeholders'.
#include <gtest/gtest.h>

#include "firmware/firmware_images.h"
#include "firmware/firmware_set.h"
#include "tests/firmware/odd_set.h"
#include "tests/support/image_bytes.h"
#include "tests/support/simulated_device.h"

namespace {

constexpr uint8_t untouched = 0xA5;

TEST(CompiledSet, TheBuiltInImagesAreTheSetTheBuildWasGiven) {
  FirmwareSet set;
  FirmwareSetProblem problem;
  ASSERT_EQ(ReadFirmwareSet(ODD_SET_DIR, set, problem), FirmwareSetStatus::ok)
      << DescribeFirmwareSetProblem(problem);
  const FirmwareTables builtIn = BuiltInFirmwareTables();
  for (int k = 0; k < controllerCount; ++k) {
    EXPECT_EQ(ImageBytes(*builtIn[k], firmwareBase, applicationEnd, firmwareBase),
              ImageBytes(set.controllers[k].table, firmwareBase, applicationEnd, firmwareBase))
        << "controller " << k + 1;
  }
  EXPECT_EQ(CountFirmwarePages(builtIn), 60 + 42 + 10);
  EXPECT_STREQ(builtInFirmwareRelease, oddSetRelease);
}

TEST(CompiledSet, TheFirmwareJobLoadsItAndKeepsTheCoefficients) {
  SimOptions options = SimulatedDevice::Unpaced();
  options.fill = untouched;
  SimulatedDevice device(options);
  testing::internal::CaptureStderr();
  EXPECT_EQ(LoadFirmware(device.run, BuiltInFirmwareTables()), Outcome::started);
  testing::internal::GetCapturedStderr();
  const SetBytes bytes = OddSetBytes();
  for (int k = 0; k < controllerCount; ++k) {
    const std::vector<uint8_t> memory = device.simulator.Memory(k + 1);
    for (uint32_t address = firmwareBase; address < applicationEnd; ++address) {
      const uint32_t page = address - address % pageSize;
      const auto next = bytes[k].lower_bound(page);
      const bool pageGiven = next != bytes[k].end() && next->first < page + pageSize;
      const auto given = bytes[k].find(address);
      const int want = given != bytes[k].end() ? given->second : pageGiven ? 0xFF : untouched;
      ASSERT_EQ(memory[address], want) << "controller " << k + 1 << std::hex << " at 0x" << address;
    }
  }
}

}  // namespace
