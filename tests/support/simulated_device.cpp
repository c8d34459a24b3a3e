#include "tests/support/simulated_device.h"

#include <chrono>
#include <thread>

#include "tests/support/loader_log_tables.h"

namespace {

// Far beyond any hand-over the kernel was seen to delay (about 0.2 s), and
// only ever waited out when a byte is truly lost.
constexpr auto settleLimit = std::chrono::seconds(5);
constexpr auto settlePoll = std::chrono::milliseconds(1);

}  // namespace

SimOptions SimulatedDevice::Unpaced() {
  SimOptions options;
  options.baud = 0;
  return options;
}

SimulatedDevice::SimulatedDevice(const SimOptions& options) : simulator(options) {
  run.reports.log = [this](LineKind kind, const char* text) {
    log.push_back(LoggedLine(kind, text));
  };
  port.OpenDevice(simulator.DevicePath().c_str());
}

SimulatedDevice::~SimulatedDevice() { port.Close(); }

bool SimulatedDevice::Settle() const {
  const auto end = std::chrono::steady_clock::now() + settleLimit;
  while (simulator.ReceivedBytes() < line.Written() && !simulator.HungUp()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(settlePoll);
  }
  return true;
}

std::vector<SimFrame> SimulatedDevice::Frames(SimCommand kind) const {
  Settle();
  std::vector<SimFrame> frames;
  for (const SimFrame& frame : simulator.Transcript()) {
    SimCommand found;
    if (ClassifyFrame(frame, &found) == 0 && found == kind) frames.push_back(frame);
  }
  return frames;
}

std::vector<SimCommand> SimulatedDevice::Kinds() const {
  Settle();
  std::vector<SimCommand> kinds;
  for (const SimFrame& frame : simulator.Transcript()) {
    SimCommand found;
    if (ClassifyFrame(frame, &found) != 0) continue;
    const bool askedAgain = found == SimCommand::query && !kinds.empty() && kinds.back() == found;
    if (!askedAgain) kinds.push_back(found);
  }
  return kinds;
}
