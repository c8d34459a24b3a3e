// Verifying against a device that already held a set when it started, never
// written by the tool; and a set of other page counts loaded by the firmware
// job. Through the pty and the real serial code.
#include <gtest/gtest.h>

#include "firmware/firmware_images.h"
#include "firmware/load_firmware_set.h"
#include "loader/procedures.h"
#include "sim/sim_preload.h"
#include "tests/firmware/odd_set.h"
#include "tests/support/image_bytes.h"
#include "tests/support/simulated_device.h"
#include "tests/support/temporary_folder.h"

namespace {

constexpr uint8_t untouched = 0xA5;  // what the coefficient pages hold before and after

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

TEST_F(OddSetOnADevice, VerifyPassesOnADeviceThatHeldTheBuiltInImagesFromTheStart) {
  SimulatedDevice device(Holding(FIRMWARE_DIR));
  EXPECT_EQ(VerifyFirmware(device.run, BuiltInFirmwareTables()), Outcome::started);
  EXPECT_EQ(Writes(device), 0);
}

TEST_F(OddSetOnADevice, VerifyTellsTheSetHeldFromAnother) {
  SimulatedDevice holdsTheSet(Holding(scratch.Path()));
  EXPECT_EQ(VerifyFirmware(holdsTheSet.run, SetTables(set)), Outcome::started);
  EXPECT_EQ(Writes(holdsTheSet), 0);

  SimulatedDevice holdsTheBuiltIn(Holding(FIRMWARE_DIR));
  EXPECT_EQ(VerifyFirmware(holdsTheBuiltIn.run, SetTables(set)), Outcome::failed);
  SimulatedDevice holdsTheSetToo(Holding(scratch.Path()));
  EXPECT_EQ(VerifyFirmware(holdsTheSetToo.run, BuiltInFirmwareTables()), Outcome::failed);
}

TEST_F(OddSetOnADevice, TheFirmwareJobLoadsItAndKeepsTheCoefficients) {
  SimOptions options = SimulatedDevice::Unpaced();
  options.fill = untouched;
  SimulatedDevice device(options);
  testing::internal::CaptureStderr();
  EXPECT_EQ(LoadFirmware(device.run, SetTables(set)), Outcome::started);
  testing::internal::GetCapturedStderr();
  for (int k = 0; k < controllerCount; ++k) {
    const PageTable& table = *SetTables(set)[k];
    const uint32_t end = controllerLayouts[k].firmwareEnd;
    EXPECT_EQ(device.simulator.Memory(k + 1),
              MemoryWithImage(std::vector<uint8_t>(simMemorySize, untouched), table, firmwareBase,
                              end, firmwareBase))
        << "controller " << k + 1 << ": the set's pages and nothing else";
  }
  EXPECT_EQ(device.simulator.FramesReceived(SimCommand::write), 60 + 42 + 10);
}

}  // namespace
