// The test device's view of what the tool sent: the frame kinds that tests
// compare, whatever a busy machine made Sync repeat.
#include "tests/support/simulated_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "tests/support/sim_settings.h"

namespace {

TEST(SimulatedDeviceKinds, APresenceQueryAskedAgainCountsOnceAnotherSyncDoesNot) {
  const struct {
    const char* name;
    SimFaults faults;
    bool eraseBetween;  // a second Sync after an erase
    std::vector<SimCommand> kinds;
    size_t queriesHeard;
  } cases[] = {
      {"answered at once", {}, false, {SimCommand::query}, 1},
      {"answered at the third query", Faults([](SimFaults& f) { f.dropAnswer = {{SimCommand::query, 1, 2}}; }),
       false, {SimCommand::query}, 3},
      {"a Sync after another frame", {}, true, {SimCommand::query, SimCommand::erase, SimCommand::query}, 2},
  };
  for (const auto& c : cases) {
    SimulatedDevice device(Unpaced(c.faults));
    ASSERT_EQ(device.link.Sync(), 0) << c.name;
    if (c.eraseBetween) {
      ASSERT_EQ(device.link.ErasePage(0x2000), 0) << c.name;
      ASSERT_EQ(device.link.Sync(), 0) << c.name;
    }
    EXPECT_EQ(device.Kinds(), c.kinds) << c.name;
    EXPECT_EQ(device.Frames(SimCommand::query).size(), c.queriesHeard) << c.name;
  }
}

// Settle waits for what the tool wrote, and never for a line that is gone.
TEST(SimulatedDeviceSettle, EndsOnceEveryByteArrivedOrTheLineHungUp) {
  const struct {
    const char* name;
    SimFaults faults;
    bool hungUp;
  } cases[] = {
      {"healthy", {}, false},
      {"silent, yet it hears", Faults([](SimFaults& f) { f.silent = true; }), false},
      {"hung up at the erase", Faults([](SimFaults& f) { f.hangUp = {{SimCommand::erase, 1}}; }), true},
  };
  for (const auto& c : cases) {
    SimulatedDevice device(Unpaced(c.faults));
    device.link.Sync();
    device.link.ErasePage(0x2000);
    device.link.Sync();  // after a hang-up these bytes can never arrive
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(device.Settle()) << c.name;
    EXPECT_EQ(device.simulator.HungUp(), c.hungUp) << c.name;
    if (c.hungUp) {
      EXPECT_LT(device.simulator.ReceivedBytes(), device.line.Written()) << c.name;
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.name << ": no wait";
    } else {
      EXPECT_EQ(device.simulator.ReceivedBytes(), device.line.Written()) << c.name;
    }
  }
}

}  // namespace
