// A simulator on a pty with the one global port opened on it and `cm` bound
// to that port, and the procedures' log lines captured: the procedures then
// run exactly as in the program, over real serial code.
#pragma once

#include <string>
#include <vector>

#include "sim/device_model.h"
#include "sim/simulator.h"

class SimulatedDevice {
 public:
  explicit SimulatedDevice(const SimOptions& options = Unpaced());
  ~SimulatedDevice();

  static SimOptions Unpaced();

  Simulator simulator;
  std::vector<std::string> log;  // lines as logged, prefixes included

  // Frames of one kind, in the order received.
  std::vector<SimFrame> Frames(SimCommand kind) const;
  // Kinds of all frames received, in order.
  std::vector<SimCommand> Kinds() const;
};
