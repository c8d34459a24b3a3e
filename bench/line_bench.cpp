// How close the three jobs come to what the line allows. Runs each against
// the simulator paced at 57600 baud and compares the wall time with the time
// the device's answers and the protocol's own pauses make unavoidable. Then
// says where the rest went: the pauses' overshoot, the simulator's lateness
// against its own deadlines, and the remainder (the tool's wake-ups after
// the answers, and the pty's), and how much CPU time the host of a virtual
// machine took from it meanwhile.
//
//   line_bench [--check]   --check: exit 1 when the firmware load's ratio is above target
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>

#include "bench/stolen_time.h"
#include "coeff/device_float.h"
#include "link/boot_link.h"
#include "link/com_port.h"
#include "link/sleep.h"
#include "firmware/firmware_images.h"
#include "loader/procedures.h"
#include "sim/device_model.h"
#include "sim/simulator.h"

namespace {

constexpr double baud = 57600.0;
constexpr double bitsPerByte = 10.0;  // start, 8 data, stop
constexpr double queryPauseMs = 40.0;
constexpr double channelPauseMs = 50.0;
constexpr double selectController3BytePauseMs = 1.0;
constexpr double nullCommandPauseMs = 1.0;
constexpr double launchPauseMs = 1.0;
constexpr double writeNullCommandExtraMs = 50.0;  // the coefficient write's own pause
constexpr double firmwareRatioTarget = 1.05;
constexpr int queryAnswerLength = 8;  // 0F 0F 00 02 05 04 FA 04

double LineMs(long bytes) { return bytes * bitsPerByte * 1000.0 / baud; }

struct Counts {
  int queries = 0, channelSelections = 0, controller3Selections = 0, nullCommands = 0, launches = 0;
  int answeredQueries = 0;  // heard while the bootloaders ran
};

Counts CountFrames(const Simulator& simulator) {
  Counts counts;
  bool launched = false;
  for (const SimFrame& frame : simulator.Transcript()) {
    SimCommand kind;
    if (ClassifyFrame(frame, &kind) != 0) continue;
    switch (kind) {
      case SimCommand::query:
        ++counts.queries;
        if (!launched) ++counts.answeredQueries;
        break;
      case SimCommand::null: ++counts.nullCommands; break;
      case SimCommand::launch:
        ++counts.launches;
        launched = true;
        break;
      case SimCommand::select:
        if (frame.address == selectController3Address) {
          ++counts.controller3Selections;
          launched = false;
        } else {
          ++counts.channelSelections;
        }
        break;
      default: break;
    }
  }
  return counts;
}

// The pause hook takes no context, so its tally lives here: the bench runs
// one job at a time on one thread.
struct PauseTally {
  int pauses = 0;
  double overshootMs = 0;
};
PauseTally pauseTally;

void MeasuredPause(int milliseconds) {
  const auto start = std::chrono::steady_clock::now();
  SleepMilliseconds(milliseconds);
  const std::chrono::duration<double, std::milli> slept = std::chrono::steady_clock::now() - start;
  ++pauseTally.pauses;
  pauseTally.overshootMs += slept.count() - milliseconds;
}

double Run(const char* name, const std::function<Outcome(RunContext&)>& job,
           bool coefficientWrite) {
  Simulator simulator;  // paced at 57600 baud by default
  ComPort port;
  if (!simulator.Ok() || port.OpenDevice(simulator.DevicePath().c_str()) != 0) {
    std::fprintf(stderr, "line_bench: no simulator\n");
    return -1;
  }
  BootLink link(&port);
  link.pauseFunction = MeasuredPause;
  pauseTally = PauseTally{};
  RunContext run(link);
  run.reports.trace = nullptr;  // the table is the output
  const double stolenBefore = StolenMilliseconds();
  const auto start = std::chrono::steady_clock::now();
  const Outcome outcome = job(run);
  const double wallMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  port.Close();

  const Counts counts = CountFrames(simulator);
  const long answered = simulator.AnsweredBytes();
  const long sent = simulator.EchoedBytes();
  const int selectController3Bytes = 11;
  const double pausesMs = counts.queries * queryPauseMs + counts.channelSelections * channelPauseMs +
                          counts.controller3Selections * selectController3Bytes * selectController3BytePauseMs +
                          counts.nullCommands * nullCommandPauseMs + counts.launches * launchPauseMs +
                          (coefficientWrite ? writeNullCommandExtraMs : 0.0);
  // A query's answer comes within the 40 ms the tool waits anyway.
  const long awaited = answered - counts.answeredQueries * queryAnswerLength;
  const double unavoidableMs = LineMs(awaited) + pausesMs;
  const double ratio = wallMs / unavoidableMs;
  std::printf("%-22s %s  wall %8.1f ms  sent %6ld B  answered %6ld B  unavoidable %8.1f ms "
              "(line %6.1f + pauses %6.1f)  ratio %.3f  real line ~%8.1f ms\n",
              name, outcome == Outcome::started ? "ok  " : "FAIL", wallMs, sent, answered, unavoidableMs,
              LineMs(awaited), pausesMs, ratio, wallMs + LineMs(sent));
  const Simulator::Pacing pacing = simulator.AnswerPacing();
  const double restMs = wallMs - unavoidableMs - pauseTally.overshootMs - pacing.lateMs;
  std::printf("%-22s beyond it: pauses' overshoot %6.1f ms (%d pauses)  simulator late %6.1f ms "
              "(%d answers, worst %.2f ms)  the rest %6.1f ms  (host took %.0f ms of CPU)\n",
              "", pauseTally.overshootMs, pauseTally.pauses, pacing.lateMs, pacing.answers,
              pacing.worstLateMs, restMs, StolenMilliseconds() - stolenBefore);
  return outcome == Outcome::started ? ratio : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc > 1 && std::strcmp(argv[1], "--check") == 0;
  const FirmwareTables tables = BuiltInFirmwareTables();

  static uint8_t image[128];
  for (int n = 0; n < 28; ++n) std::memcpy(image + 4 * n, ToDeviceFloat(0.25f * n).bytes, 4);
  std::memset(image + 112, 0xFF, 16);
  static const uint8_t* entries[2] = {image, image + 64};
  const PageTable coefficients{entries, 2};

  const double firmwareRatio =
      Run("firmware load", [&](RunContext& run) { return LoadFirmware(run, tables); }, false);
  Run("coefficient reset", [&](RunContext& run) { return ResetCoefficients(run, tables); }, false);
  Run("coefficient write", [&](RunContext& run) { return WriteCoefficients(run, coefficients); },
      true);
  std::printf("target: firmware load ratio <= %.2f: %s\n", firmwareRatioTarget,
              firmwareRatio > 0 && firmwareRatio <= firmwareRatioTarget ? "met" : "NOT met");
  return check && !(firmwareRatio > 0 && firmwareRatio <= firmwareRatioTarget) ? 1 : 0;
}
