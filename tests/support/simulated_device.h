// A simulator on a pty with a port of its own opened on it, a link bound to
// that port and a run context whose log lines are captured: the procedures
// then run exactly as in the program, over real serial code.
#pragma once

#include <string>
#include <vector>

#include "link/boot_link.h"
#include "link/com_port.h"
#include "loader/run_context.h"
#include "sim/device_model.h"
#include "sim/simulator.h"
#include "tests/support/counting_line.h"

class SimulatedDevice {
 public:
  explicit SimulatedDevice(const SimOptions& options = Unpaced());
  ~SimulatedDevice();

  static SimOptions Unpaced();

  Simulator simulator;
  ComPort port;
  CountingLine line{&port};
  BootLink link{&line};
  RunContext run{link};
  std::vector<std::string> log;  // the lines logged, as LoggedLine writes them

  // Frames of one kind, in the order received. Like Kinds, it first waits
  // for what the tool sent to reach the device: a busy machine's kernel may
  // hold a frame back long after the tool gave up on its answer.
  std::vector<SimFrame> Frames(SimCommand kind) const;
  // Kinds of all frames received, in order; presence queries in a row count
  // as one, since Sync asks again when an answer came late, which a busy
  // machine decides, not the procedure.
  std::vector<SimCommand> Kinds() const;

  // Waits until the device has taken in every byte the tool wrote, it hung
  // up, or a generous limit passed; true unless the limit did.
  bool Settle() const;
};
