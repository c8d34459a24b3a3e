// The simulated device without a pty or a thread: a serial line that hands
// every byte written straight to a DeviceModel and reads back its echo and
// answers at once. Pauses are skipped, so thousands of procedures run in
// seconds; everything else is the real link and the real device model.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "link/boot_link.h"
#include "link/serial_line.h"
#include "sim/device_model.h"

class ModelLine : public SerialLine {
 public:
  explicit ModelLine(const SimOptions& options = {});
  ~ModelLine() override;  // gives `cm` back to the real port, drops the log sink

  DeviceModel model;
  std::vector<std::string> log;  // the procedures' lines, prefixes included

  // Binds `cm` to this line, with pauses that return at once, and captures
  // the log lines.
  void AttachLink();

  int FramesReceived(SimCommand kind) const;

  void Write(int count, const uint8_t* data) override;
  int Read(int count, uint8_t* buffer) override;
  void ClearReceive() override;
  void AbortAndClearReceive() override;

 private:
  std::deque<uint8_t> pending;
  PauseFunction previousPause = nullptr;
};
