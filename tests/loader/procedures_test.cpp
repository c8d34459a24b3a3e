#include "loader/procedures.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "link/boot_link.h"
#include "firmware/firmware_images.h"
#include "loader/procedure_steps.h"
#include "loader/report.h"
#include "tests/support/image_bytes.h"
#include "tests/support/sim_settings.h"
#include "tests/support/loader_log_tables.h"
#include "tests/support/scripted_line.h"
#include "tests/support/simulated_device.h"

namespace {

constexpr uint8_t untouched = 0xA5;  // memory pattern the procedures must leave alone

SimOptions FilledWith(uint8_t fill) {
  SimOptions options = SimulatedDevice::Unpaced();
  options.fill = fill;
  return options;
}

// A two-page coefficient image of its own, as a file would give.
struct CoefficientImage {
  uint8_t bytes[128];
  const uint8_t* entries[2] = {bytes, bytes + 64};
  PageTable table{entries, 2};
  explicit CoefficientImage(uint8_t value) {
    std::fill(bytes, bytes + 112, value);
    std::fill(bytes + 112, bytes + 128, 0xFF);
  }
};

TEST(LoadFirmware, WritesVerifiesAndStartsAllThreeControllers) {
  SimulatedDevice device(FilledWith(untouched));
  testing::internal::CaptureStderr();
  EXPECT_EQ(LoadFirmware(device.run, BuiltInFirmwareTables()), Outcome::started);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "cm.Sync() 3\n");
  EXPECT_EQ(device.log, firmwareLoaded);

  const struct {
    const PageTable* image;
    uint32_t end;
  } controllers[] = {{&controller1Image, 0x7000}, {&controller2Image, 0x8000}, {&controller3Image, 0x8000}};
  for (int c = 0; c < 3; ++c) {
    const PageTable& image = *controllers[c].image;
    EXPECT_EQ(MemoryBytesAtImage(device.simulator.Memory(c + 1), image, 0x2000, controllers[c].end, 0x2000),
              ImageBytes(image, 0x2000, controllers[c].end, 0x2000))
        << "controller " << c + 1;
  }
  const std::vector<uint8_t> memory1 = device.simulator.Memory(1);
  for (uint32_t a = 0x7000; a < 0x7080; ++a) ASSERT_EQ(memory1[a], untouched) << "coefficients survive";

  std::map<std::pair<int, uint32_t>, int> erased, written;
  for (const SimFrame& frame : device.Frames(SimCommand::erase)) ++erased[{frame.controller, frame.address}];
  for (const SimFrame& frame : device.Frames(SimCommand::write)) ++written[{frame.controller, frame.address}];
  EXPECT_EQ(erased.size(), 149u);
  EXPECT_EQ(written.size(), 149u);
  for (const auto& [page, count] : erased) EXPECT_EQ(count, 1);
  for (const auto& [page, count] : written) EXPECT_EQ(count, 1);
  EXPECT_EQ(device.simulator.ControlByte(1), 0x00);
  EXPECT_EQ(device.simulator.ControlByte(2), 0x00);
  EXPECT_TRUE(device.simulator.ApplicationRunning());
}

TEST(LoadFirmware, SilentDeviceGetsTenContactAttemptsAndOneLine) {
  SimulatedDevice device(Unpaced(Faults([](SimFaults& f) { f.echoOnly = true; })));
  testing::internal::CaptureStderr();
  EXPECT_EQ(LoadFirmware(device.run, BuiltInFirmwareTables()), Outcome::noAnswer);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(device.log, Lines{"@C1Не отвечает."});
  EXPECT_EQ(device.Frames(SimCommand::select).size(), 10u);
  EXPECT_EQ(device.Frames(SimCommand::query).size(), 110u);
  EXPECT_FALSE(device.run.contacted) << "the device never answered";
}

TEST(LoadFirmware, ContactAtTheThirdAttemptLeavesNoTrace) {
  SimulatedDevice device(
      Unpaced(Faults([](SimFaults& f) { f.dropAnswer = {{SimCommand::query, 1, 2 * syncAttempts}}; })));
  EXPECT_EQ(LoadFirmware(device.run, BuiltInFirmwareTables()), Outcome::started);
  EXPECT_EQ(device.log, firmwareLoaded);
}

TEST(LoadFirmware, MismatchOnControllerTwoEndsTheVerification) {
  SimulatedDevice device(
      Unpaced(Faults([](SimFaults& f) { f.badReadController = 2; f.badReadPage = 0x2140; })));
  testing::internal::CaptureStderr();
  EXPECT_EQ(LoadFirmware(device.run, BuiltInFirmwareTables()), Outcome::failed);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "controller 3 is never verified";
  const Lines expected = {firmwareLoaded[0], firmwareLoaded[1], firmwareLoaded[2], firmwareLoaded[3],
                          firmwareLoaded[4], firmwareLoaded[5], "@C1Ошибка!!!."};
  EXPECT_EQ(device.log, expected);
  EXPECT_EQ(device.simulator.ControlByte(2), 0xFF) << "no control byte 00 after a failed check";
  for (const SimFrame& read : device.Frames(SimCommand::read)) EXPECT_NE(read.controller, 3);
  EXPECT_TRUE(device.Frames(SimCommand::launch).empty());
  EXPECT_EQ(device.Kinds().back(), SimCommand::read);
}

TEST(LoadFirmware, IgnoredLaunchIsSentTenTimesAndEndsWithoutALine) {
  SimulatedDevice device(Unpaced(Faults([](SimFaults& f) { f.ignoreLaunch = true; })));
  EXPECT_EQ(LoadFirmware(device.run, BuiltInFirmwareTables()), Outcome::startNotConfirmed);
  EXPECT_EQ(device.Frames(SimCommand::launch).size(), 10u);
  EXPECT_EQ(device.log.back(), "@C4Проверка прошла.");
}

TEST(LoadFirmware, OneLaunchWhenTheBootloaderLeavesAtOnce) {
  SimulatedDevice device;
  EXPECT_EQ(LoadFirmware(device.run, BuiltInFirmwareTables()), Outcome::started);
  EXPECT_EQ(device.Frames(SimCommand::launch).size(), 1u);
  EXPECT_EQ(device.log.back(), "@C4Запуск.");
}

TEST(LoadFirmware, StopRequestEndsItBetweenPagesWithoutALine) {
  SimulatedDevice device;
  device.run.reports.page = [&](PageWork, uint32_t) { device.run.stopRequested = true; };
  EXPECT_EQ(LoadFirmware(device.run, BuiltInFirmwareTables()), Outcome::stopped);
  EXPECT_EQ(device.log, Lines{"@C4Контроллер 1 - запись"});
  EXPECT_EQ(device.Frames(SimCommand::write).size(), 1u);
}

TEST(ResetCoefficients, WritesExactlyTheDefaultBytes) {
  SimulatedDevice device(FilledWith(untouched));
  EXPECT_EQ(ResetCoefficients(device.run, BuiltInFirmwareTables()), Outcome::started);
  EXPECT_EQ(device.log, coefficientsReset);
  const std::vector<uint8_t> memory = device.simulator.Memory(1);
  for (int n = 1; n <= 28; ++n) {
    const bool one = n == 7 || n == 11 || n == 20 || n == 28;
    const uint32_t at = 0x7000 + 4 * (n - 1);
    EXPECT_EQ(memory[at], one ? 0x7F : 0x00) << n;
    EXPECT_EQ(memory[at + 1] | memory[at + 2] | memory[at + 3], 0) << n;
  }
  for (uint32_t a = 0x7070; a < 0x7080; ++a) EXPECT_EQ(memory[a], 0xFF);
  EXPECT_EQ(memory[0x2000], untouched) << "firmware pages are not touched";
  for (const SimFrame& frame : device.simulator.Transcript()) {
    if (frame.command == 1 || frame.command == 2 || frame.command == 3) {
      EXPECT_EQ(frame.controller, 1);
      EXPECT_TRUE(frame.address == 0x7000 || frame.address == 0x7040) << frame.address;
    }
  }
}

TEST(ResetCoefficients, SilentDeviceClearsAnEarlierJobsContact) {
  SimulatedDevice device(Unpaced(Faults([](SimFaults& f) { f.silent = true; })));
  device.run.contacted = true;
  EXPECT_EQ(ResetCoefficients(device.run, BuiltInFirmwareTables()), Outcome::noAnswer);
  EXPECT_EQ(device.log, Lines{"@C1Не отвечает."});
  EXPECT_FALSE(device.run.contacted);
}

TEST(WriteCoefficients, WritesAndVerifiesEvenAnAllZeroImage) {
  SimulatedDevice device(FilledWith(untouched));
  const CoefficientImage zeros(0x00);
  EXPECT_EQ(WriteCoefficients(device.run, zeros.table), Outcome::started);
  EXPECT_EQ(device.log, coefficientsWritten);
  EXPECT_EQ(device.Frames(SimCommand::write).size(), 2u);
  EXPECT_EQ(device.Frames(SimCommand::read).size(), 2u);
  const std::vector<uint8_t> memory = device.simulator.Memory(1);
  EXPECT_TRUE(std::equal(zeros.bytes, zeros.bytes + 128, memory.begin() + 0x7000));
  EXPECT_TRUE(device.run.contacted);
}

TEST(WriteCoefficients, SilentDeviceIsNeverContacted) {
  SimulatedDevice device(Unpaced(Faults([](SimFaults& f) { f.silent = true; })));
  const CoefficientImage image(0x11);
  EXPECT_EQ(WriteCoefficients(device.run, image.table), Outcome::noAnswer);
  EXPECT_EQ(device.log, Lines{"@C1Не отвечает."});
  EXPECT_FALSE(device.run.contacted);
}

TEST(WriteCoefficients, FailedVerificationStillCountsAsContact) {
  SimulatedDevice device(
      Unpaced(Faults([](SimFaults& f) { f.badReadController = 1; f.badReadPage = 0x7040; })));
  const CoefficientImage image(0x11);
  EXPECT_EQ(WriteCoefficients(device.run, image.table), Outcome::failed);
  EXPECT_EQ(device.log, coefficientsNotVerified);
  EXPECT_TRUE(device.run.contacted);
}

TEST(WriteCoefficients, PausesBeforeTheSyncAfterTheNullCommandUnlikeTheReset) {
  // Both run the same frames; the write only adds a pause, which the line
  // cannot see. The frames must match one for one.
  SimulatedDevice reset;
  ASSERT_EQ(ResetCoefficients(reset.run, BuiltInFirmwareTables()), Outcome::started);
  const std::vector<SimCommand> resetKinds = reset.Kinds();
  reset.simulator.ClearTranscript();
  const CoefficientImage image(0x22);
  ASSERT_EQ(WriteCoefficients(reset.run, image.table), Outcome::started);
  EXPECT_EQ(reset.Kinds(), resetKinds);
}

// A fault at every answered step of a procedure in turn: the log ends with
// the error line and nothing is sent after the frame that went unanswered.
struct StepFault {
  const char* procedure;
  SimCommand kind;
  int nth;
};

void PrintTo(const StepFault& fault, std::ostream* out) {
  *out << fault.procedure << " " << SimCommandName(fault.kind) << " #" << fault.nth;
}

class FaultAtEachStep : public ::testing::TestWithParam<StepFault> {};

Outcome RunProcedure(const std::string& name, RunContext& run) {
  static const CoefficientImage image(0x33);
  if (name == "firmware") return LoadFirmware(run, BuiltInFirmwareTables());
  if (name == "reset") return ResetCoefficients(run, BuiltInFirmwareTables());
  return WriteCoefficients(run, image.table);
}

// The line dies right after the first Launch: not even the echo comes back,
// and nothing says the application started. The device was reached, so a
// write's file counts as used.
TEST(StartApplication, ALineThatDiesAfterLaunchIsNoAnswer) {
  SimulatedDevice device(Unpaced(Faults([](SimFaults& f) { f.hangUp = {{SimCommand::launch, 1}}; })));
  EXPECT_EQ(RunProcedure("write", device.run), Outcome::noAnswer);
  EXPECT_TRUE(device.simulator.HungUp());
  ASSERT_GE(device.log.size(), 2u);
  EXPECT_EQ(Lines(device.log.end() - 2, device.log.end()),
            (Lines{"@C4Проверка прошла.", "@C1Не отвечает."}));
  EXPECT_EQ(device.Frames(SimCommand::launch).size(), 1u) << "the dead line hears no more";
  EXPECT_TRUE(device.run.contacted);
}

// The Sync after each Launch as the line answers it: nothing at all is a dead
// line; only the echo, or bytes that are no answer, mean the bootloader left.
TEST(StartApplication, TheLastSyncDecidesTheLine) {
  const BootLink reference(nullptr);
  const Bytes echo(reference.query, reference.query + reference.queryLength);
  const struct {
    const char* name;
    Bytes reply;  // every read after a Launch
    Outcome outcome;
    size_t launches;
    Lines log;
  } cases[] = {
      {"nothing", {}, Outcome::noAnswer, 10, {"@C1Не отвечает."}},
      {"echo only", echo, Outcome::started, 1, {"@C4Запуск."}},
      {"garbage", {0x55, 0xAA, 0x55}, Outcome::started, 10, {"@C4Запуск."}},
  };
  for (const auto& c : cases) {
    Lines logged;
    ScriptedLine line;
    BootLink link(nullptr);
    line.Attach(link);
    RunContext run(link);
    run.reports.log = [&](LineKind kind, const char* text) {
      logged.push_back(LoggedLine(kind, text));
    };
    for (int i = 0; i < launchAttempts * syncAttempts; ++i) line.reads.push_back(c.reply);
    EXPECT_EQ(StartApplication(run), c.outcome) << c.name;
    EXPECT_EQ(logged, c.log) << c.name;
    size_t launches = 0;
    for (const Bytes& frame : line.writes) launches += frame != echo;
    EXPECT_EQ(launches, c.launches) << c.name;
  }
}

// After "Ошибка!!!." the run context keeps the step that failed and what
// came back, for the command line to name.
TEST(JobFailure, NamesTheFailedStepAndWhatCameBack) {
  const struct {
    const char* what;
    void (*fault)(SimFaults&);
    std::string description;
  } cases[] = {
      {"erase on controller 2", [](SimFaults& f) { f.dropAnswer = {{SimCommand::erase, 54}}; },
       "стирание страницы 0x2000 контроллера 2: пришло только эхо"},
      {"write", [](SimFaults& f) { f.corruptChecksum = {{SimCommand::write, 1}}; },
       "запись страницы 0x2000 контроллера 1: ответ с неверной контрольной суммой"},
      {"selection", [](SimFaults& f) { f.dropAnswer = {{SimCommand::query, 5, syncAttempts}}; },
       "выбор контроллера 2: на запрос присутствия пришло только эхо"},
      {"control byte", [](SimFaults& f) { f.dropAnswer = {{SimCommand::control, 1}}; },
       "запись управляющего байта контроллера 1: пришло только эхо"},
      {"read", [](SimFaults& f) { f.strayBytes = {{SimCommand::read, 1}}; },
       "чтение страницы 0x2000 контроллера 1: пришли посторонние байты"},
      {"compare", [](SimFaults& f) { f.badReadController = 2; f.badReadPage = 0x2140; },
       "проверка страницы 0x2140 контроллера 2: прочитано не то, что записано"},
  };
  for (const auto& c : cases) {
    SimulatedDevice device(Unpaced(Faults(c.fault)));
    EXPECT_EQ(LoadFirmware(device.run, BuiltInFirmwareTables()), Outcome::failed) << c.what;
    EXPECT_EQ(DescribeFailure(device.run.failure), c.description) << c.what;
  }
  SimulatedDevice clean;
  EXPECT_EQ(LoadFirmware(clean.run, BuiltInFirmwareTables()), Outcome::started);
  EXPECT_EQ(DescribeFailure(clean.run.failure), "") << "nothing failed";
}

RunContext* stopAtPause = nullptr;
void RequestStopAtPause(int) {
  if (stopAtPause != nullptr) stopAtPause->stopRequested = true;
}

// A stop that arrives while the application is being started ends it before
// the next Launch, instead of after all ten rounds.
TEST(StartApplication, AStopEndsItBeforeTheNextLaunch) {
  const SimOptions options = Unpaced(Faults([](SimFaults& f) { f.ignoreLaunch = true; }));
  SimulatedDevice device(options);
  device.run.reports.log = [&](LineKind kind, const char* text) {
    if (LoggedLine(kind, text) == "@C4Проверка прошла.") device.run.stopRequested = true;
  };
  EXPECT_EQ(LoadFirmware(device.run, BuiltInFirmwareTables()), Outcome::stopped);
  EXPECT_TRUE(device.Frames(SimCommand::launch).empty());

  // Between two rounds: the pause after the first Launch asks for the stop.
  SimulatedDevice again(options);
  ASSERT_EQ(MakeContact(again.run), StepResult::done);
  stopAtPause = &again.run;
  again.run.link.pauseFunction = RequestStopAtPause;
  EXPECT_EQ(StartApplication(again.run), Outcome::stopped);
  EXPECT_EQ(again.Frames(SimCommand::launch).size(), 1u);
  stopAtPause = nullptr;
}

// A started application only echoes the query, which then tries eleven
// times: a stop asked for meanwhile ends the query after its first try.
TEST(StartApplication, AStopCutsThePresenceQueryShort) {
  SimulatedDevice device(SimulatedDevice::Unpaced());
  ASSERT_EQ(MakeContact(device.run), StepResult::done);
  device.simulator.ClearTranscript();
  stopAtPause = &device.run;
  device.run.link.pauseFunction = RequestStopAtPause;
  EXPECT_EQ(StartApplication(device.run), Outcome::stopped);
  EXPECT_EQ(device.Frames(SimCommand::launch).size(), 1u);
  EXPECT_EQ(device.Frames(SimCommand::query).size(), 1u) << "not all of its attempts";
  stopAtPause = nullptr;
}

TEST_P(FaultAtEachStep, EndsWithTheErrorLineAndSendsNothingMore) {
  const StepFault fault = GetParam();
  // A presence query is tried eleven times before Sync gives up.
  const int count = fault.kind == SimCommand::query ? syncAttempts : 1;
  SimulatedDevice device(
      Unpaced(Faults([&](SimFaults& f) { f.dropAnswer = {{fault.kind, fault.nth, count}}; })));
  EXPECT_EQ(RunProcedure(fault.procedure, device.run), Outcome::failed);
  ASSERT_FALSE(device.log.empty());
  EXPECT_EQ(device.log.back(), "@C1Ошибка!!!.");
  const std::vector<SimCommand> kinds = device.Kinds();
  ASSERT_FALSE(kinds.empty());
  EXPECT_EQ(kinds.back(), fault.kind) << "nothing is sent after the unanswered frame";
  EXPECT_EQ(static_cast<int>(device.Frames(fault.kind).size()), fault.nth + count - 1);
  EXPECT_NE(DescribeFailure(device.run.failure), "") << "the failed step is named";
}

// Presence queries answered in a clean run before each step's query; the
// first contact takes query 1, so query n + 11 k fails the (k+1)-th Sync
// after contact when k Syncs succeeded first.
std::vector<StepFault> StepFaults() {
  std::vector<StepFault> faults;
  // Syncs after contact: firmware load 16 (3 per controller 1/2 write, 2 for 3,
  // 3 per controller 1/2 verify, 2 for 3), coefficient jobs 7; Syncs after Launch do not count.
  const struct {
    const char* procedure;
    int syncs;
    int controlBytes;
  } plans[] = {{"firmware", 16, 4}, {"reset", 7, 2}, {"write", 7, 2}};
  for (const auto& plan : plans) {
    for (int k = 1; k <= plan.syncs; ++k) faults.push_back({plan.procedure, SimCommand::query, 1 + k});
    for (int k = 1; k <= plan.controlBytes; ++k) faults.push_back({plan.procedure, SimCommand::control, k});
    faults.push_back({plan.procedure, SimCommand::erase, 1});
    faults.push_back({plan.procedure, SimCommand::write, 2});
    faults.push_back({plan.procedure, SimCommand::read, 1});
  }
  // The first page of controllers 2 and 3, written and read.
  faults.push_back({"firmware", SimCommand::erase, 54});
  faults.push_back({"firmware", SimCommand::write, 95});
  faults.push_back({"firmware", SimCommand::read, 54});
  faults.push_back({"firmware", SimCommand::read, 95});
  return faults;
}

std::string StepName(const ::testing::TestParamInfo<StepFault>& info) {
  return std::string(info.param.procedure) + "_" + SimCommandName(info.param.kind) + "_" +
         std::to_string(info.param.nth);
}

INSTANTIATE_TEST_SUITE_P(Procedures, FaultAtEachStep, ::testing::ValuesIn(StepFaults()), StepName);

}  // namespace
