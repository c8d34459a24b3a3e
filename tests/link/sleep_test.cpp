// What the first pause of a thread asks of the scheduler, on Linux.
#include "link/sleep.h"

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

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

constexpr int niceOfTheJob = 3;  // as `nice -n 3 velt-flash` would leave it
constexpr uint64_t shortSlice = 100000;

struct Seen {
  bool read = false;
  Attributes before{};
  Attributes after{};
  unsigned long timerSlack = 0;
};

TEST(SleepTest, FirstPauseAsksForPromptWakeUpsAndKeepsTheNiceValue) {
  Seen seen;
  // A thread of its own: the request is per thread, once.
  std::thread job([&seen] {
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), niceOfTheJob);
    syscall(SYS_sched_getattr, 0, &seen.before, sizeof seen.before, 0);
    SleepMilliseconds(1);
    seen.read = syscall(SYS_sched_getattr, 0, &seen.after, sizeof seen.after, 0) == 0;
    seen.timerSlack = static_cast<unsigned long>(prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0));
  });
  job.join();
  ASSERT_TRUE(seen.read);
  EXPECT_EQ(seen.after.nice, niceOfTheJob);
  EXPECT_EQ(seen.after.policy, 0u) << "still the fair class";
  EXPECT_EQ(seen.timerSlack, 1u);
  // Kernels before 6.12 neither grant nor report a slice.
  if (seen.before.runtime == 0) GTEST_SKIP() << "this kernel has no time slice to ask for";
  EXPECT_EQ(seen.after.runtime, shortSlice);
}

}  // namespace
