// A firm's set compiled in instead of the placeholders, as
// -DVELT_FIRMWARE_DIR does it: other page counts, partial pages and a
// release line go through the build, and the firmware job loads them. This
// program links the odd set's images, not the placeholders'.
#include <gtest/gtest.h>

#include "firmware/firmware_images.h"
#include "tests/firmware/odd_set.h"
#include "tests/support/simulated_device.h"

namespace {

constexpr uint8_t untouched = 0xA5;  // the coefficient pages too keep it

TEST(CompiledSet, TheFirmwareJobLoadsTheSetTheBuildWasGiven) {
  EXPECT_STREQ(builtInFirmwareRelease, oddSetRelease);
  EXPECT_EQ(CountFirmwarePages(BuiltInFirmwareTables()), 60 + 42 + 10);
  SimOptions options = SimulatedDevice::Unpaced();
  options.fill = untouched;
  SimulatedDevice device(options);
  testing::internal::CaptureStderr();
  EXPECT_EQ(LoadFirmware(device.run, BuiltInFirmwareTables()), Outcome::started);
  testing::internal::GetCapturedStderr();
  const SetBytes bytes = OddSetBytes();
  for (int k = 0; k < controllerCount; ++k) {
    EXPECT_EQ(device.simulator.Memory(k + 1), MemoryHolding(bytes[k], untouched))
        << "controller " << k + 1;
  }
}

}  // namespace
