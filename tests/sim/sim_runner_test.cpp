// Several simulated devices served by one runner thread, each over its own
// pty, real serial port and bootloader link.
#include "sim/sim_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "link/boot_link.h"
#include "link/com_port.h"
#include "sim/simulator.h"
#include "tests/sim/sim_frames.h"
#include "tests/support/sim_settings.h"

namespace {

constexpr int stationSize = 3;

// One device of the station with the tool's end of its line.
struct Device {
  Device(const SimOptions& options, SimRunner& runner) : sim(options, runner), link(&port) {
    opened = sim.Ok() ? port.OpenDevice(sim.DevicePath().c_str()) : -1;
  }
  Simulator sim;
  ComPort port;
  BootLink link;
  int opened = -1;
};

std::vector<uint8_t> Page(const Simulator& sim, int controller, uint32_t address) {
  const std::vector<uint8_t> memory = sim.Memory(controller);
  return {memory.begin() + address, memory.begin() + address + pageSize};
}

class SimRunnerTest : public ::testing::Test {
 protected:
  void Start(const std::vector<SimOptions>& options) {
    ASSERT_TRUE(runner.Ok());
    for (const SimOptions& device : options) {
      devices.emplace_back(new Device(device, runner));
      ASSERT_EQ(devices.back()->opened, 0) << devices.back()->sim.DevicePath();
    }
  }
  SimRunner runner;
  std::vector<std::unique_ptr<Device>> devices;
};

TEST_F(SimRunnerTest, EachDeviceHasItsOwnMemoryTranscriptAndFaults) {
  Start({Unpaced(), Unpaced(Faults([](SimFaults& f) { f.echoOnly = true; })), Unpaced()});
  EXPECT_EQ(devices[0]->link.Sync(), 0);
  EXPECT_EQ(devices[1]->link.Sync(), syncEchoOnly);
  EXPECT_EQ(devices[2]->link.Sync(), 0);

  const std::vector<uint8_t> page = CountingPage(0x10);
  ASSERT_EQ(devices[0]->link.ErasePage(0x2000), 0);
  ASSERT_EQ(devices[0]->link.WritePage(0x2000, page.data()), 0);
  EXPECT_EQ(Page(devices[0]->sim, 3, 0x2000), page);
  EXPECT_EQ(Page(devices[2]->sim, 3, 0x2000), std::vector<uint8_t>(pageSize, 0xFF));

  EXPECT_EQ(devices[0]->sim.FramesReceived(SimCommand::write), 1);
  EXPECT_EQ(devices[2]->sim.FramesReceived(SimCommand::write), 0);
  EXPECT_EQ(devices[1]->sim.Transcript().size(), static_cast<size_t>(syncAttempts));
  // Its own presence queries only (a busy machine may make Sync ask twice).
  const size_t heard = devices[2]->sim.Transcript().size();
  EXPECT_GE(heard, 1u);
  EXPECT_EQ(static_cast<size_t>(devices[2]->sim.FramesReceived(SimCommand::query)), heard);
}

TEST_F(SimRunnerTest, OneDeviceHangingUpLeavesTheOthersServing) {
  Start({Unpaced(), Unpaced(Faults([](SimFaults& f) { f.hangUp = {{SimCommand::erase, 1}}; })),
         Unpaced()});
  EXPECT_EQ(devices[1]->link.ErasePage(0x2000), -1);
  EXPECT_TRUE(devices[1]->sim.HungUp());
  for (int k : {0, 2}) {
    EXPECT_FALSE(devices[k]->sim.HungUp()) << k;
    EXPECT_EQ(devices[k]->link.Sync(), 0) << k;
    EXPECT_EQ(devices[k]->link.ErasePage(0x2000), 0) << k;
  }
  EXPECT_EQ(devices[1]->link.Sync(), syncSilent);
}

TEST_F(SimRunnerTest, ADeviceLeavingTheRunnerLeavesTheOthersServing) {
  Start({Unpaced(), Unpaced(), Unpaced()});
  ASSERT_EQ(devices[1]->link.Sync(), 0);
  devices.erase(devices.begin() + 1);
  // A device joining later is served too, whatever descriptor it reuses.
  devices.emplace_back(new Device(Unpaced(), runner));
  ASSERT_EQ(devices.back()->opened, 0);
  for (const std::unique_ptr<Device>& device : devices) {
    EXPECT_EQ(device->link.Sync(), 0) << device->sim.DevicePath();
  }
}

// The runner looks at a line only when bytes arrive, so whatever one arrival
// holds must all be taken in then: nothing is left for a next look that no
// new byte would bring.
TEST_F(SimRunnerTest, EveryByteOfABurstIsEchoedAndTheQueryAfterItAnswered) {
  constexpr int echoWaitMilliseconds = 3000;
  const struct {
    const char* name;
    int bytes;
  } cases[] = {{"one byte", 1}, {"one read's worth", 4096}, {"several reads' worth", 10000}};
  Start({Unpaced()});
  Device& device = *devices[0];
  for (const auto& c : cases) {
    const int echoedBefore = device.sim.EchoedBytes();
    const long long receivedBefore = device.sim.ReceivedBytes();
    const std::vector<uint8_t> junk(c.bytes, 0x55);  // no frame marker among them
    device.port.Write(c.bytes, junk.data());
    int seen = 0;
    uint8_t buffer[linkBufferSize];
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(echoWaitMilliseconds);
    while (seen < c.bytes && std::chrono::steady_clock::now() < end) {
      seen += device.port.Read(sizeof buffer, buffer);
    }
    EXPECT_EQ(seen, c.bytes) << c.name;
    EXPECT_EQ(device.sim.EchoedBytes() - echoedBefore, c.bytes) << c.name;
    EXPECT_EQ(device.sim.ReceivedBytes() - receivedBefore, c.bytes) << c.name;
    EXPECT_EQ(device.link.Sync(), 0) << c.name;
  }
}

TEST_F(SimRunnerTest, PacedDevicesAnswerAtOnceEachAtItsOwnPace) {
  Start(std::vector<SimOptions>(stationSize, SimOptions{}));  // 57600 baud
  const std::vector<uint8_t> page = CountingPage(0x20);
  for (const std::unique_ptr<Device>& device : devices) {
    device->sim.SetMemory(3, 0x2040, page);
  }
  std::vector<int> results(stationSize, -1);
  std::vector<std::vector<uint8_t>> readBack(stationSize);
  std::vector<std::thread> tools;
  for (int k = 0; k < stationSize; ++k) {
    tools.emplace_back([&, k] {
      uint8_t answer[linkBufferSize];
      results[k] = devices[k]->link.ReadPage(0x2040, answer);
      readBack[k].assign(answer + readAnswerHeaderLength, answer + readAnswerHeaderLength + pageSize);
    });
  }
  for (std::thread& tool : tools) tool.join();
  for (int k = 0; k < stationSize; ++k) {
    EXPECT_EQ(results[k], 0) << k;
    EXPECT_EQ(readBack[k], page) << k;
    EXPECT_EQ(devices[k]->sim.AnswerPacing().answers, 1) << k;
  }
}

}  // namespace
