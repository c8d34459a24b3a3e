#include "cli/stop_signals.h"

#include <array>
#include <atomic>
#include <csignal>

#include "cli/flash_arguments.h"

namespace {

// What the handler reaches: lock-free atomics only, as a signal handler may.
std::array<std::atomic<RunContext*>, maxPorts> stoppable{};
std::atomic<bool> signalled{false};

void StopAll(int) {
  signalled = true;
  for (std::atomic<RunContext*>& slot : stoppable) {
    if (RunContext* run = slot) run->stopRequested = true;
  }
}

void Catch(void (*handler)(int)) {
  std::signal(SIGINT, handler);
  std::signal(SIGTERM, handler);
}

}  // namespace

StopSignals::StopSignals() {
  signalled = false;
  Catch(StopAll);
}

StopSignals::~StopSignals() {
  Catch(SIG_DFL);
  for (std::atomic<RunContext*>& slot : stoppable) slot = nullptr;
}

void StopSignals::Register(int slot, RunContext* run) {
  stoppable[slot] = run;
  if (signalled) run->stopRequested = true;
}

void StopSignals::Unregister(int slot) { stoppable[slot] = nullptr; }
