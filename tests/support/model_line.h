// The simulated device without a pty or a thread: a serial line that hands
// every byte written straight to a DeviceModel and reads back its echo and
// answers at once, with a link and a run context of its own over it. Pauses
// are skipped, so thousands of procedures run in seconds; everything else is
// the real link and the real device model.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "link/boot_link.h"
#include "link/serial_line.h"
#include "loader/run_context.h"
#include "sim/device_model.h"

class ModelLine : public SerialLine {
 public:
  explicit ModelLine(const SimOptions& options = {});

  DeviceModel model;
  BootLink link{this};
  RunContext run{link};
  std::vector<std::string> log;  // the procedures' lines, as LoggedLine writes them

  int FramesReceived(SimCommand kind) const;

  void Write(int count, const uint8_t* data) override;
  int Read(int count, uint8_t* buffer) override;
  bool WaitForData(int milliseconds) override;
  void ClearReceive() override;
  void AbortAndClearReceive() override;

 private:
  std::deque<uint8_t> pending;
};
