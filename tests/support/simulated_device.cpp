#include "tests/support/simulated_device.h"

SimOptions SimulatedDevice::Unpaced() {
  SimOptions options;
  options.baud = 0;
  return options;
}

SimulatedDevice::SimulatedDevice(const SimOptions& options) : simulator(options) {
  run.reports.log = [this](const char* line) { log.emplace_back(line); };
  port.OpenDevice(simulator.DevicePath().c_str());
}

SimulatedDevice::~SimulatedDevice() { port.Close(); }

std::vector<SimFrame> SimulatedDevice::Frames(SimCommand kind) const {
  std::vector<SimFrame> frames;
  for (const SimFrame& frame : simulator.Transcript()) {
    SimCommand found;
    if (ClassifyFrame(frame, &found) == 0 && found == kind) frames.push_back(frame);
  }
  return frames;
}

std::vector<SimCommand> SimulatedDevice::Kinds() const {
  std::vector<SimCommand> kinds;
  for (const SimFrame& frame : simulator.Transcript()) {
    SimCommand found;
    if (ClassifyFrame(frame, &found) != 0) continue;
    const bool askedAgain = found == SimCommand::query && !kinds.empty() && kinds.back() == found;
    if (!askedAgain) kinds.push_back(found);
  }
  return kinds;
}
