#include "link/sleep.h"

#include <time.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

// The protocol paces itself with 1 ms pauses; Linux's default 50 us timer
// slack would stretch each of them noticeably over a whole load.
void TightenTimerSlackOnce() {
#ifdef __linux__
  thread_local bool done = false;
  if (!done) {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    done = true;
  }
#endif
}

}  // namespace

void SleepMilliseconds(int milliseconds) {
  if (milliseconds <= 0) return;
  TightenTimerSlackOnce();
  timespec wait{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0) {
  }
}
