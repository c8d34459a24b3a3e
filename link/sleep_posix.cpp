#include "link/sleep.h"

#include <time.h>
#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#endif

namespace {

#ifdef __linux__
// The kernel's struct sched_attr; its header clashes with <sched.h> here.
struct SchedulingAttributes {
  uint32_t size;
  uint32_t policy;
  uint64_t flags;
  int32_t nice;
  uint32_t priority;
  uint64_t runtime;  // for the fair class: the time slice asked for
  uint64_t deadline;
  uint64_t period;
  uint32_t utilizationMin;
  uint32_t utilizationMax;
};

constexpr uint32_t fairPolicy = 0;  // SCHED_OTHER
// The shortest slice the kernel grants; the thread runs for microseconds
// at a time, so it gives nothing up.
constexpr uint64_t shortSliceNanoseconds = 100000;

// Even so, two CPU hogs at nice 19 hold a fair-class thread's wake-ups
// back by hundreds of milliseconds on a 2-core machine now and then, past
// an erase's budget. Where the system lets it (root, or a real-time limit
// given to the user), the thread takes the lowest real-time priority
// instead: it waits nearly all the time and runs for microseconds, so it
// takes nothing from anybody, and the kernel's real-time throttling stays.
bool AskForRealTime() {
  sched_param parameters{};
  parameters.sched_priority = sched_get_priority_min(SCHED_FIFO);
  return pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameters) == 0;
}

// From Linux 6.12 a thread of the fair class that asks for a short slice is
// woken ahead of long-running ones (a build, say) instead of after them; no
// privilege is needed, the nice value stays, and older kernels ignore the
// request.
void AskForPromptScheduling() {
  SchedulingAttributes attributes{};
  if (syscall(SYS_sched_getattr, 0, &attributes, sizeof attributes, 0) != 0) return;
  if (attributes.policy != fairPolicy) return;  // someone chose otherwise
  if (AskForRealTime()) return;
  attributes.size = sizeof attributes;
  attributes.runtime = shortSliceNanoseconds;
  syscall(SYS_sched_setattr, 0, &attributes, 0);
}
#endif

// The protocol paces itself with 1 ms pauses and polls: Linux's default
// 50 us timer slack would stretch each of them noticeably over a whole load,
// and a busy machine would wake the thread late.
void AskForPromptWakeUpsOnce() {
#ifdef __linux__
  thread_local bool done = false;
  if (!done) {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    AskForPromptScheduling();
    done = true;
  }
#endif
}

}  // namespace

void SleepMilliseconds(int milliseconds) {
  if (milliseconds <= 0) return;
  AskForPromptWakeUpsOnce();
  timespec wait{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0) {
  }
}
