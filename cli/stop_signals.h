// Ctrl-C and SIGTERM let every running job end between two steps, so no
// device sees a frame cut in half and every port is closed on the way out.
#pragma once

#include "loader/run_context.h"

// While one exists, the two signals ask each registered job to stop. One at
// a time.
class StopSignals {
 public:
  StopSignals();
  ~StopSignals();  // the signals end the process again
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // Device `slot` (0 .. maxPorts-1) runs its job on `run`; a stop asked for
  // before it came reaches it too.
  void Register(int slot, RunContext* run);
  void Unregister(int slot);
};
