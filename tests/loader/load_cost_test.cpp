// The firmware load's cost as the probe counts it from the tables, against
// the load itself run on the device model: every frame, byte and pause.
#include <gtest/gtest.h>

#include <vector>

#include "firmware/firmware_images.h"
#include "loader/load_cost.h"
#include "tests/support/counting_line.h"
#include "tests/support/model_line.h"

namespace {

int pausedMilliseconds = 0;
void CountPause(int milliseconds) { pausedMilliseconds += milliseconds; }

// The parameter: the controller (1..3) whose table is emptied; 0 none.
class LoadCostTest : public ::testing::TestWithParam<int> {};

TEST_P(LoadCostTest, CountsWhatTheLoadSends) {
  FirmwareTables tables = BuiltInFirmwareTables();
  const std::vector<const uint8_t*> none(firmwareTableEntries, nullptr);
  const PageTable empty{none.data(), firmwareTableEntries};
  if (GetParam() > 0) tables[GetParam() - 1] = &empty;
  ModelLine model;
  CountingLine counting(&model);
  BootLink link(&counting);
  link.pauseFunction = CountPause;
  RunContext run(link);
  pausedMilliseconds = 0;

  ASSERT_EQ(LoadFirmware(run, tables), Outcome::started);
  const LoadCost cost = CountLoadCost(tables);

  EXPECT_EQ(cost.sentBytes, counting.Written());
  EXPECT_EQ(cost.queries, model.FramesReceived(SimCommand::query));
  EXPECT_EQ(cost.acknowledged,
            model.FramesReceived(SimCommand::control) + model.FramesReceived(SimCommand::erase) +
                model.FramesReceived(SimCommand::write) + model.FramesReceived(SimCommand::read));
  EXPECT_EQ(cost.pauseMs, pausedMilliseconds);
  // Each acknowledged exchange waits for at least the shortest answer.
  EXPECT_GE(cost.answerBytes, cost.acknowledged * eraseAnswerLength);
  // A delay on each acknowledged exchange is what it adds, no more.
  EXPECT_NEAR(PredictedSeconds(cost, 0, 10) - PredictedSeconds(cost, 0, 0),
              cost.acknowledged * 0.010, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(EmptiedController, LoadCostTest, ::testing::Values(0, 1, 3));

}  // namespace
