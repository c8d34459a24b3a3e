// The line probe through the runner, against the simulator on a pty: what it
// hears from each controller, how the job ends, and that it only asks.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "firmware/firmware_images.h"
#include "runner/exit_status.h"
#include "runner/job_recorder.h"
#include "runner/run_job.h"
#include "tests/support/sim_settings.h"
#include "tests/support/simulated_device.h"

namespace {

constexpr int queries = 3;  // per controller: enough to count, few enough for a silent line
constexpr int paced = 57600;
constexpr int slowAdapterMs = 16;  // an FTDI chip's default latency timer
constexpr double measuredWithinMs = 2;

using Verdicts = std::array<int, probeVerdictCount>;  // answered, echo only, silent, garbage

struct ProbeCase {
  const char* name;
  SimOptions sim;
  JobOutcome outcome;
  std::array<Verdicts, controllerCount> verdicts;
  const char* lastLine;
  const char* failurePart;  // "" when none
  int adapterMs;            // the simulated adapter's latency timer; 0: none
};

void PrintTo(const ProbeCase& c, std::ostream* out) { *out << c.name; }

constexpr Verdicts allAnswered{queries, 0, 0, 0};
constexpr Verdicts allEchoed{0, queries, 0, 0};
constexpr Verdicts allSilent{0, 0, queries, 0};
constexpr Verdicts allGarbage{0, 0, 0, queries};

SimOptions Paced(const SimFaults& faults = {}) {
  return Changed(Unpaced(faults), [](SimOptions& o) { o.baud = paced; });
}

// The contact is the first query; controller 1's follow, then controller 2's.
SimOptions SlowAdapter() {
  return Changed(Paced(), [](SimOptions& o) { o.adapterLatencyMs = slowAdapterMs; });
}

SimFaults Controller2Silent() {
  return Faults([](SimFaults& f) { f.dropAnswer = {{SimCommand::query, 2 + queries, queries}}; });
}

const ProbeCase cases[] = {
    {"allAnswer", Paced(), JobOutcome::started, {allAnswered, allAnswered, allAnswered}, "Запуск.",
     "", 0},
    {"controller2Silent", Paced(Controller2Silent()), JobOutcome::failed,
     {allAnswered, allEchoed, allAnswered}, "Ошибка!!!.", "контроллером 2: пришло только эхо", 0},
    {"echoOnly", Unpaced(Faults([](SimFaults& f) { f.echoOnly = true; })), JobOutcome::noAnswer,
     {allEchoed, allEchoed, allEchoed}, "Не отвечает.", "", 0},
    {"silent", Unpaced(Faults([](SimFaults& f) { f.silent = true; })), JobOutcome::noAnswer,
     {allSilent, allSilent, allSilent}, "Не отвечает.", "", 0},
    // The contact hears its answer behind the junk; the timed queries do not
    // take junk for an answer.
    {"garbage",
     Unpaced(Faults([](SimFaults& f) { f.strayBytes = {{SimCommand::query, 1, 1000}}; })),
     JobOutcome::noAnswer, {allGarbage, allGarbage, allGarbage}, "Не отвечает.", "", 0},
    // Every answer held back by the adapter's timer, a switch's echo too.
    {"slowAdapter", SlowAdapter(), JobOutcome::started, {allAnswered, allAnswered, allAnswered},
     "Запуск.", "", slowAdapterMs},
};

class ProbeTest : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeTest, CountsWhatEachControllerSaysAndEndsAsVerifyDoes) {
  const ProbeCase& c = GetParam();
  SimulatedDevice device(c.sim);
  device.port.Close();  // the runner opens the port itself
  Job job;
  job.kind = JobKind::probe;
  job.firmware = BuiltInFirmwareTables();
  job.probeCount = queries;

  const JobResult result = RunJob(job, {"dev", device.simulator.DevicePath()}, device.port, device.run);

  EXPECT_EQ(result.outcome, c.outcome);
  EXPECT_EQ(result.status, ExitStatusOf(c.outcome));
  EXPECT_EQ(result.lastLine, c.lastLine);
  if (*c.failurePart == '\0') {
    EXPECT_EQ(result.failure, "");
  } else {
    EXPECT_NE(result.failure.find(c.failurePart), std::string::npos) << result.failure;
  }
  for (int k = 0; k < controllerCount; ++k) {
    const ControllerProbe& controller = result.probe.controllers[k];
    EXPECT_EQ(controller.controller, k + 1);
    EXPECT_EQ(controller.verdicts, c.verdicts[k]) << "controller " << k + 1;
    EXPECT_EQ(controller.answer.samples, c.verdicts[k][0]) << "controller " << k + 1;
    if (controller.answer.samples > 0) {
      // No answer's last byte comes before its own echo's (so the quickest
      // answer is no quicker than the quickest echo: one late echo of another
      // query on a busy machine says nothing), nor before its own eight bytes
      // had time on the line.
      EXPECT_GE(controller.answer.minMs, controller.echo.minMs - 0.5);
      EXPECT_GE(controller.answer.minMs, 8 * 10 * 1000.0 / paced - 0.2);
      EXPECT_LE(controller.answer.minMs, controller.answer.medianMs);
      EXPECT_LE(controller.answer.medianMs, controller.answer.maxMs);
    }
  }
  EXPECT_EQ(result.probe.measured, result.probe.controllers[0].answer.samples > 0);
  EXPECT_EQ(result.probeLines.empty(), false) << "the adapter is described in any case";
  if (c.adapterMs > 0) {
    // A busy machine only adds to the time, so the bound below is firm; the
    // advice follows from a delay that large.
    EXPECT_GE(result.probe.echoDelayMs, c.adapterMs - measuredWithinMs);
    EXPECT_GE(result.probe.answerDelayMs, c.adapterMs - measuredWithinMs);
    EXPECT_GT(result.probe.predictedSeconds, result.probe.lineSeconds);
    EXPECT_NE(result.probeAdvice, "");
  }

  // It only asks: nothing that changes a controller reaches the device, and
  // only a device that answered in full is started.
  for (SimCommand kind : {SimCommand::erase, SimCommand::write, SimCommand::control,
                          SimCommand::null}) {
    EXPECT_TRUE(device.Frames(kind).empty()) << SimCommandName(kind);
  }
  EXPECT_EQ(device.Frames(SimCommand::launch).empty(), c.outcome != JobOutcome::started);
  EXPECT_EQ(RecordOf(job, result).job, "probe");
}

INSTANTIATE_TEST_SUITE_P(Line, ProbeTest, ::testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
