// What the first pause of a thread asks of the scheduler, on Linux.
#include "link/sleep.h"

#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <thread>

namespace {

// The kernel's struct sched_attr.
struct Attributes {
  uint32_t size;
  uint32_t policy;
  uint64_t flags;
  int32_t nice;
  uint32_t priority;
  uint64_t runtime;
  uint64_t deadline;
  uint64_t period;
  uint32_t utilizationMin;
  uint32_t utilizationMax;
};

constexpr int niceAdded = 3;  // as `nice -n 3 velt-flash` would add to the caller's
constexpr int niceLimit = 19;
constexpr uint64_t shortSlice = 100000;
constexpr uid_t nobody = 65534;

struct Seen {
  bool read = false;
  int nice = 0;  // what the job's thread was given; raising it needs no privilege
  Attributes before{};
  Attributes after{};
  unsigned long timerSlack = 0;
};

// What a job's thread is left with after its first pause.
Seen FirstPause() {
  Seen seen;
  // A thread of its own: the request is per thread, once.
  std::thread job([&seen] {
    const id_t thread = static_cast<id_t>(syscall(SYS_gettid));
    seen.nice = std::min(getpriority(PRIO_PROCESS, thread) + niceAdded, niceLimit);
    setpriority(PRIO_PROCESS, thread, seen.nice);
    syscall(SYS_sched_getattr, 0, &seen.before, sizeof seen.before, 0);
    SleepMilliseconds(1);
    seen.read = syscall(SYS_sched_getattr, 0, &seen.after, sizeof seen.after, 0) == 0;
    seen.timerSlack = static_cast<unsigned long>(prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0));
  });
  job.join();
  return seen;
}

// The same in a child process that may not take a real-time priority: root
// drops to nobody, anyone else is refused by a real-time limit of 0.
Seen FirstPauseWithoutRealTime() {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    const rlimit none{0, 0};
    setrlimit(RLIMIT_RTPRIO, &none);
    if (geteuid() == 0 && setresuid(nobody, nobody, nobody) != 0) _exit(1);
    const Seen seen = FirstPause();
    _exit(write(fds[1], &seen, sizeof seen) == sizeof seen ? 0 : 1);
  }
  close(fds[1]);
  Seen seen;
  if (read(fds[0], &seen, sizeof seen) != sizeof seen) seen.read = false;
  close(fds[0]);
  waitpid(child, nullptr, 0);
  return seen;
}

TEST(SleepTest, FirstPauseTakesTheLowestRealTimePriorityWhereAllowed) {
  if (geteuid() != 0) GTEST_SKIP() << "only root is sure to be allowed one";
  const Seen seen = FirstPause();
  ASSERT_TRUE(seen.read);
  EXPECT_EQ(seen.after.policy, static_cast<uint32_t>(SCHED_FIFO));
  EXPECT_EQ(seen.after.priority, static_cast<uint32_t>(sched_get_priority_min(SCHED_FIFO)));
  EXPECT_EQ(seen.timerSlack, 0u) << "a real-time thread's timers have no slack at all";
}

TEST(SleepTest, WithoutRealTimeAFairThreadAsksForAShortSliceAndKeepsItsNiceValue) {
  const Seen seen = FirstPauseWithoutRealTime();
  ASSERT_TRUE(seen.read);
  EXPECT_EQ(seen.after.nice, seen.nice);
  EXPECT_EQ(seen.after.policy, 0u) << "still the fair class";
  EXPECT_EQ(seen.timerSlack, 1u);
  // Kernels before 6.12 neither grant nor report a slice.
  if (seen.before.runtime == 0) GTEST_SKIP() << "this kernel has no time slice to ask for";
  EXPECT_EQ(seen.after.runtime, shortSlice);
}

}  // namespace
