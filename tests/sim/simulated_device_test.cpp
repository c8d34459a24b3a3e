// The test device's view of what the tool sent: the frame kinds that tests
// compare, whatever a busy machine made Sync repeat.
#include "tests/support/simulated_device.h"

#include <gtest/gtest.h>

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

}  // namespace
