#include "tests/support/simulated_device.h"

#include "link/boot_link.h"
#include "loader/report.h"

namespace {

SimulatedDevice* capturing = nullptr;

void CaptureLine(const char* line) {
  if (capturing != nullptr) capturing->log.emplace_back(line);
}

}  // namespace

SimOptions SimulatedDevice::Unpaced() {
  SimOptions options;
  options.baud = 0;
  return options;
}

SimulatedDevice::SimulatedDevice(const SimOptions& options) : simulator(options) {
  capturing = this;
  SetLogSink(CaptureLine);
  comPort.OpenDevice(simulator.DevicePath().c_str());
  cm.port = &comPort;
}

SimulatedDevice::~SimulatedDevice() {
  comPort.Close();
  SetLogSink(nullptr);
  SetPageSink(nullptr);
  capturing = nullptr;
}

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
    if (ClassifyFrame(frame, &found) == 0) kinds.push_back(found);
  }
  return kinds;
}
