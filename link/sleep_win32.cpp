#include "link/sleep.h"

#include <windows.h>
#include <timeapi.h>

namespace {

constexpr UINT timerResolutionMilliseconds = 1;

// Windows rounds Sleep up to its timer tick, 15.6 ms unless a process asks
// for finer: every 1 ms pause of the protocol would cost a whole tick. The
// request lasts until the process ends.
void AskForFineTimerOnce() {
  static const MMRESULT asked = timeBeginPeriod(timerResolutionMilliseconds);
  (void)asked;
}

}  // namespace

void SleepMilliseconds(int milliseconds) {
  if (milliseconds <= 0) return;
  AskForFineTimerOnce();
  Sleep(static_cast<DWORD>(milliseconds));
}
