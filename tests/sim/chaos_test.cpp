// The chaos harness: a short run keeps every invariant and reaches every
// end, and each invariant, broken on purpose, is reported.
#include "tests/support/chaos.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/support/model_line.h"

namespace {

constexpr uint64_t shortRunSeed = 20261209;
constexpr int shortRunJobs = 400;

TEST(ChaosHarness, AShortRunKeepsEveryInvariantAndReachesEveryEnd) {
  std::vector<std::string> report;
  const ChaosTally tally = RunChaos(shortRunJobs, shortRunSeed, [&](const ChaosSchedule& s, const ChaosVerdict& v) {
    report.push_back(s.Describe() + ": " + v.violations.front());
  });
  EXPECT_EQ(tally.jobs, shortRunJobs);
  EXPECT_TRUE(tally.violatingSeeds.empty()) << ::testing::PrintToString(report);
  for (int e = 0; e < chaosEndKinds; ++e) {
    EXPECT_GT(tally.ends[e], 0) << ChaosEndName(chaosEnds[e]);
  }
  for (int k = 0; k < chaosJobKinds; ++k) {
    EXPECT_GT(tally.kinds[k], 0) << JobKindName(chaosJobs[k]);
  }
}

TEST(ChaosHarness, TheSameSeedDrawsTheSameJob) {
  const uint64_t seed = ChaosJobSeed(shortRunSeed, 7);
  EXPECT_EQ(DrawChaosSchedule(seed).Describe(), DrawChaosSchedule(seed).Describe());
  EXPECT_NE(DrawChaosSchedule(seed).Describe(), DrawChaosSchedule(ChaosJobSeed(shortRunSeed, 8)).Describe());
}

// The schedules of a short run draw every kind of fault the device model
// has: a harness that stopped drawing one would go blind to it unnoticed.
TEST(ChaosHarness, AShortRunDrawsEveryKindOfFault) {
  const struct {
    const char* name;
    std::function<bool(const ChaosSchedule&)> drawn;
  } kinds[] = {
      {"silent", [](const ChaosSchedule& s) { return s.faults.silent; }},
      {"echo only", [](const ChaosSchedule& s) { return s.faults.echoOnly; }},
      {"ignored launch", [](const ChaosSchedule& s) { return s.faults.ignoreLaunch; }},
      {"bad read", [](const ChaosSchedule& s) { return s.faults.badReadController != 0; }},
      {"dropped answer", [](const ChaosSchedule& s) { return !s.faults.dropAnswer.empty(); }},
      {"corrupted answer", [](const ChaosSchedule& s) { return !s.faults.corruptChecksum.empty(); }},
      {"stray bytes", [](const ChaosSchedule& s) { return !s.faults.strayBytes.empty(); }},
      {"hang-up", [](const ChaosSchedule& s) { return !s.faults.hangUp.empty(); }},
      {"stop request", [](const ChaosSchedule& s) { return s.stopAtWrite != 0; }},
      {"late erase answers", [](const ChaosSchedule& s) { return s.eraseLatencyMs != 0; }},
      {"late write answers", [](const ChaosSchedule& s) { return s.writeLatencyMs != 0; }},
      {"no fault at all",
       [](const ChaosSchedule& s) {
         const SimFaults& f = s.faults;
         return !f.silent && !f.echoOnly && !f.ignoreLaunch && f.badReadController == 0 &&
                f.dropAnswer.empty() && f.corruptChecksum.empty() && f.strayBytes.empty() &&
                f.hangUp.empty() && s.stopAtWrite == 0 && s.eraseLatencyMs == 0 && s.writeLatencyMs == 0;
       }},
  };
  for (const auto& kind : kinds) {
    int drawn = 0;
    for (int k = 0; k < shortRunJobs; ++k) drawn += kind.drawn(DrawChaosSchedule(ChaosJobSeed(shortRunSeed, k)));
    EXPECT_GT(drawn, 0) << kind.name;
  }
}

// The line's clock: an answer within the tool's wait is taken, a later one
// fails the job, and either way the device is left as the invariants say.
TEST(ChaosHarness, AnAnswerLaterThanTheToolWaitsFailsTheJobAndOnlyThat) {
  const struct {
    const char* name;
    JobKind job;
    int eraseLatencyMs;
    int writeLatencyMs;
    JobOutcome end;
  } cases[] = {
      {"erase answers 5 ms late", JobKind::firmware, 5, 0, JobOutcome::started},
      {"erase answers 400 ms late", JobKind::firmware, 400, 0, JobOutcome::failed},
      {"write answers 20 ms late", JobKind::write, 0, 20, JobOutcome::started},
      {"write answers 500 ms late", JobKind::write, 0, 500, JobOutcome::failed},
  };
  for (const auto& c : cases) {
    ChaosSchedule schedule;
    schedule.job = c.job;
    schedule.eraseLatencyMs = c.eraseLatencyMs;
    schedule.writeLatencyMs = c.writeLatencyMs;
    const ChaosVerdict verdict = RunChaosCase(schedule);
    EXPECT_EQ(verdict.end, c.end) << c.name;
    EXPECT_EQ(verdict.violations, std::vector<std::string>{}) << c.name;
  }
}

// A clean firmware load, then one thing about its end or the device made
// wrong: the check must name exactly that.
TEST(ChaosInvariants, EachBrokenInvariantIsReported) {
  const std::map<std::string, std::string> startedRow{{"outcome", "started"}, {"exit", "0"}};
  using Break = std::function<void(ChaosObservation&, DeviceModel&)>;
  const struct {
    const char* name;
    Break breakIt;
    const char* reported;  // part of the one line expected
  } cases[] = {
      {"a byte outside the job changed",
       [](ChaosObservation&, DeviceModel& d) { d.memory[0][0x7005] ^= 1; }, "memory outside the job changed"},
      {"an erase outside the job",
       [](ChaosObservation&, DeviceModel& d) {
         for (SimFrame frame : d.transcript) {
           SimCommand kind;
           if (ClassifyFrame(frame, &kind) == 0 && kind == SimCommand::erase) {
             frame.address = 0x7000;  // controller 1's coefficients, which the load keeps
             d.transcript.push_back(frame);
             return;
           }
         }
       },
       "erase outside the job"},
      {"a verified page that differs",
       [](ChaosObservation&, DeviceModel& d) { d.memory[1][0x2000] ^= 1; }, "verified page differs"},
      {"a control byte left at 0xFF", [](ChaosObservation&, DeviceModel& d) { d.controlByte[1] = 0xFF; },
       "control byte of controller 2"},
      {"started, but not running", [](ChaosObservation&, DeviceModel& d) { d.launched = false; },
       "does not run its application"},
      {"a start line in a failed job",
       [](ChaosObservation& o, DeviceModel&) {
         o.end = JobOutcome::failed;
         o.rows[0] = {{"outcome", "failed"}, {"exit", "1"}};
       },
       "a start line in a job that failed"},
      {"started without a start line", [](ChaosObservation& o, DeviceModel&) { o.log.clear(); },
       "started without a start line"},
      {"no record row", [](ChaosObservation& o, DeviceModel&) { o.rows.clear(); }, "0 record rows"},
      {"two record rows", [](ChaosObservation& o, DeviceModel&) { o.rows.push_back(o.rows[0]); },
       "2 record rows"},
      {"a row with another outcome", [](ChaosObservation& o, DeviceModel&) { o.rows[0]["outcome"] = "stopped"; },
       "record row says stopped (0)"},
      {"a row with another exit", [](ChaosObservation& o, DeviceModel&) { o.rows[0]["exit"] = "130"; },
       "record row says started (130)"},
  };
  for (const auto& c : cases) {
    ModelLine line;
    const uint8_t* noFile[2] = {nullptr, nullptr};
    const PageTable coefficients{noFile, 2};
    ChaosObservation seen{JobOutcome::failed, {}, line.model.memory, &line.model,
                          ChaosJobPages(JobKind::firmware, coefficients), {startedRow}};
    seen.end = RunChaosJob(JobKind::firmware, line.run, coefficients);
    seen.log = line.log;
    ASSERT_EQ(seen.end, JobOutcome::started) << c.name;
    ASSERT_EQ(CheckChaosInvariants(seen), std::vector<std::string>{}) << c.name << ": clean before";
    c.breakIt(seen, line.model);
    const std::vector<std::string> broken = CheckChaosInvariants(seen);
    ASSERT_EQ(broken.size(), 1u) << c.name << ": " << ::testing::PrintToString(broken);
    EXPECT_NE(broken[0].find(c.reported), std::string::npos) << c.name << ": " << broken[0];
  }
}

}  // namespace
