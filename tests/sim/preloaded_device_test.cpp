// Verifying against a device that already held a set when it started, never
// written by the tool. Through the pty and the real serial code.
#include <gtest/gtest.h>

#include "firmware/firmware_images.h"
#include "runner/load_firmware_set.h"
#include "loader/procedures.h"
#include "sim/sim_preload.h"
#include "tests/firmware/odd_set.h"
#include "tests/support/simulated_device.h"
#include "tests/support/temporary_folder.h"

namespace {

constexpr uint8_t untouched = 0xA5;  // the memory no set gave

class OddSetOnADevice : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch.Ok());
    const SetBytes bytes = OddSetBytes();
    for (int k = 0; k < controllerCount; ++k) {
      scratch.Write(firmwareSetFiles[k], HexText(bytes[k]));
    }
    FirmwareSetProblem problem;
    ASSERT_EQ(LoadFirmwareSet(scratch.Path(), set, problem), FirmwareSetStatus::ok)
        << DescribeFirmwareSetProblem(problem);
  }
  SimOptions Holding(const std::string& folder) const {
    SimOptions options = SimulatedDevice::Unpaced();
    options.fill = untouched;
    std::string error;
    EXPECT_EQ(PreloadFirmwareSet(folder, &options, &error), 0) << error;
    return options;
  }
  int Writes(const SimulatedDevice& device) const {
    return device.simulator.FramesReceived(SimCommand::erase) +
           device.simulator.FramesReceived(SimCommand::write) +
           device.simulator.FramesReceived(SimCommand::control);
  }
  const TemporaryFolder scratch{"velt-odd-set"};
  FirmwareSet set;
};

// Never a write, whatever the verdict: verify only reads.
TEST_F(OddSetOnADevice, VerifyPassesExactlyWhenTheDeviceHeldTheSameSetFromTheStart) {
  const FirmwareTables builtIn = BuiltInFirmwareTables();
  const FirmwareTables odd = SetTables(set);
  const struct {
    std::string held;
    FirmwareTables verified;
    Outcome outcome;
  } cases[] = {
      {FIRMWARE_DIR, builtIn, Outcome::started},
      {scratch.Path(), odd, Outcome::started},
      {FIRMWARE_DIR, odd, Outcome::failed},
      {scratch.Path(), builtIn, Outcome::failed},
  };
  for (const auto& c : cases) {
    SimulatedDevice device(Holding(c.held));
    EXPECT_EQ(VerifyFirmware(device.run, c.verified), c.outcome) << c.held;
    EXPECT_EQ(Writes(device), 0) << c.held;
  }
}

}  // namespace
