// The runner both front ends share: each job against each way a device can
// end it, through a pty and the real serial code, with the row it records.
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

struct JobCase {
  const char* name;
  JobKind kind;
  SimFaults faults;
  bool loaded;       // the device holds the built-in firmware before the job
  bool portMissing;
  bool stopFirst;    // the stop is requested before the job starts
  JobOutcome outcome;
  bool reached;      // the device answered the first query
  const char* lastLine;
  const char* failurePart;  // in the result's failure; "" when there is none
};

void PrintTo(const JobCase& c, std::ostream* out) { *out << c.name; }

Job JobOf(JobKind kind) {
  Job job;
  job.kind = kind;
  job.firmware = BuiltInFirmwareTables();
  if (kind == JobKind::write) {
    CoefficientImage image;
    image.fill(0x3C);
    job.coefficients = image;
    job.coefficientsFile = "c.koeff";
  }
  return job;
}

SimFaults Silent() { return Faults([](SimFaults& f) { f.silent = true; }); }
SimFaults StaysInBootloader() { return Faults([](SimFaults& f) { f.ignoreLaunch = true; }); }
SimFaults BadCoefficientRead() {
  return Faults([](SimFaults& f) { f.badReadController = 1; f.badReadPage = 0x7040; });
}
SimFaults LineDiesAtARead() {
  return Faults([](SimFaults& f) { f.hangUp = {{SimCommand::read, 2}}; });
}

void LoadBuiltInFirmware(Simulator& simulator) {
  const FirmwareTables tables = BuiltInFirmwareTables();
  for (int c = 0; c < controllerCount; ++c) {
    for (int k = 0; k < tables[c]->pageCount; ++k) {
      const uint8_t* page = tables[c]->pages[k];
      if (page == nullptr) continue;
      simulator.SetMemory(c + 1, firmwareBase + k * pageSize,
                          std::vector<uint8_t>(page, page + pageSize));
    }
  }
}

const JobCase cases[] = {
    {"firmware", JobKind::firmware, {}, false, false, false, JobOutcome::started, true, "Запуск.",
     ""},
    {"write", JobKind::write, {}, false, false, false, JobOutcome::started, true, "Запуск.", ""},
    {"reset", JobKind::reset, {}, false, false, false, JobOutcome::started, true, "Запуск.", ""},
    {"verify", JobKind::verify, {}, true, false, false, JobOutcome::started, true, "Запуск.", ""},
    {"save", JobKind::saveCoefficients, {}, false, false, false, JobOutcome::started, true,
     "Запуск.", ""},
    {"silentFirmware", JobKind::firmware, Silent(), false, false, false, JobOutcome::noAnswer,
     false, "Не отвечает.", ""},
    {"silentWrite", JobKind::write, Silent(), false, false, false, JobOutcome::noAnswer, false,
     "Не отвечает.", ""},
    {"badWrite", JobKind::write, BadCoefficientRead(), false, false, false, JobOutcome::failed,
     true, "Ошибка!!!.", "0x7040"},
    // Pages that differ are no failed step: verify names them itself.
    {"verifyDiffers", JobKind::verify, {}, false, false, false, JobOutcome::failed, true,
     "Ошибка!!!.", ""},
    {"saveLineDies", JobKind::saveCoefficients, LineDiesAtARead(), false, false, false,
     JobOutcome::failed, true, "Ошибка!!!.", "чтение"},
    {"resetNotStarted", JobKind::reset, StaysInBootloader(), false, false, false,
     JobOutcome::startNotConfirmed, true, "Проверка прошла.", ""},
    {"portMissing", JobKind::firmware, {}, false, true, false, JobOutcome::portNotOpened, false,
     "", "не открылся"},
    {"stoppedFirst", JobKind::reset, {}, false, false, true, JobOutcome::stopped, false, "", ""},
};

class RunJobTest : public ::testing::TestWithParam<JobCase> {};

TEST_P(RunJobTest, EndsAsTheDeviceMakesItAndRecordsWhatItDid) {
  const JobCase& c = GetParam();
  SimulatedDevice device(Unpaced(c.faults));
  device.port.Close();  // the runner opens the port itself
  const Job job = JobOf(c.kind);
  const JobPort port{"dev", c.portMissing ? device.simulator.DevicePath() + ".gone"
                                          : device.simulator.DevicePath()};
  device.run.stopRequested = c.stopFirst;
  if (c.loaded) LoadBuiltInFirmware(device.simulator);

  const JobResult result = RunJob(job, port, device.port, device.run);

  EXPECT_EQ(result.outcome, c.outcome);
  EXPECT_EQ(result.status, ExitStatusOf(c.outcome));
  EXPECT_EQ(result.reachedDevice, c.reached);
  EXPECT_EQ(result.lastLine, c.lastLine);
  EXPECT_EQ(result.port, "dev");
  EXPECT_FALSE(device.port.IsOpen()) << "the runner closes what it opened";
  if (*c.failurePart == '\0') {
    EXPECT_EQ(result.failure, "");
  } else {
    EXPECT_NE(result.failure.find(c.failurePart), std::string::npos) << result.failure;
  }
  // What the job promised to move is what moved, when it went to its end.
  if (c.outcome == JobOutcome::started) {
    const PageProgress pages = JobPages(job);
    EXPECT_EQ(result.pagesWritten, pages.toWrite);
    EXPECT_EQ(result.pagesVerified, pages.toVerify);
  }
  if (c.kind == JobKind::saveCoefficients && c.outcome == JobOutcome::started) {
    const std::vector<uint8_t> memory = device.simulator.Memory(1);
    EXPECT_TRUE(std::equal(result.read.begin(), result.read.end(),
                           memory.begin() + coefficientPagesStart));
  }

  const JobRecord row = RecordOf(job, result);
  EXPECT_EQ(row.job, JobKindName(c.kind));
  EXPECT_EQ(row.outcome, OutcomeName(c.outcome));
  EXPECT_EQ(row.exitStatus, result.status);
  EXPECT_EQ(row.lastLine, c.lastLine);
  EXPECT_EQ(row.failure, result.failure);
  EXPECT_EQ(row.firmwareSha256.size(), 64u);
  const bool sendsCoefficients = c.kind == JobKind::write || c.kind == JobKind::reset;
  EXPECT_EQ(row.coefficientsSha256.empty(), !sendsCoefficients);
}

INSTANTIATE_TEST_SUITE_P(Jobs, RunJobTest, ::testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

// The record names every outcome, and no two alike: scripts tell them apart.
TEST(JobOutcomes, EachHasItsOwnNameWordsAndStatus) {
  const JobOutcome all[] = {JobOutcome::started, JobOutcome::startNotConfirmed,
                            JobOutcome::failed,  JobOutcome::noAnswer,
                            JobOutcome::portNotOpened, JobOutcome::stopped,
                            JobOutcome::fileRejected};
  for (size_t i = 0; i < std::size(all); ++i) {
    EXPECT_STRNE(OutcomeName(all[i]), "");
    EXPECT_STRNE(OutcomeWords(all[i]), "");
    for (size_t j = 0; j < i; ++j) {
      EXPECT_STRNE(OutcomeName(all[i]), OutcomeName(all[j]));
      EXPECT_NE(ExitStatusOf(all[i]), ExitStatusOf(all[j]));
    }
  }
}

}  // namespace
