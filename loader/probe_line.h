// The line probe: a check of the line that only asks. It makes contact as
// the jobs do, then asks each controller for its presence a number of
// times, timing every echo and answer, and from the times says what the
// adapter adds to each exchange and what a firmware load would take.
// Nothing is erased or written and no control byte is sent.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "link/device_layout.h"
#include "loader/load_cost.h"
#include "loader/procedures.h"
#include "loader/run_context.h"

constexpr int defaultProbeCount = 20;

enum class ProbeVerdict { answered, echoOnly, silent, garbage };
constexpr int probeVerdictCount = 4;

// Times in ms; samples 0 when none was seen, and then the rest is 0.
struct TimeSpread {
  int samples = 0;
  double minMs = 0;
  double medianMs = 0;
  double maxMs = 0;
};

struct ControllerProbe {
  int controller = 0;  // 1..3
  std::array<int, probeVerdictCount> verdicts{};  // by ProbeVerdict
  TimeSpread echo;    // from the last byte sent to the echo's last byte
  TimeSpread answer;  // to the answer's last byte
};

struct LineProbe {
  int count = 0;  // queries per controller
  std::array<ControllerProbe, controllerCount> controllers{};
  bool measured = false;  // some answer was timed; the rest below is known
  double sendMsPerByte = 0;
  double echoDelayMs = 0;   // the echo's median time: the line itself echoes at once
  double answerDelayMs = 0; // the answer's median time minus its bytes' time at the line's pace
  LoadCost load;
  double lineSeconds = 0;       // the load with no delay added: the line's own time
  double predictedSeconds = 0;  // with the measured delays
};

// Fills *probe. Outcome: as StartApplication's when every controller
// answered every query; failed when some did not; noAnswer when none
// answered at all; stopped on request.
Outcome ProbeLine(RunContext& run, const FirmwareTables& tables, int count, LineProbe* probe);

int CountOf(const ControllerProbe& controller, ProbeVerdict verdict);

// "Контроллер 2: отвечает 0 из 20 ...": the one line the probe logs for
// each controller.
std::string DescribeControllerProbe(const ControllerProbe& controller, int count);
// The adapter's delay and the load's predicted time, one line each; none
// when nothing answered.
std::vector<std::string> DescribeLineTimes(const LineProbe& probe);
