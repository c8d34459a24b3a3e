#include "sim/sim_runner.h"

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/epoll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <thread>
#include <vector>

#include "sim/sim_line.h"

namespace {

constexpr long long nanosecondsPerSecond = 1000000000LL;
constexpr long long nanosecondsPerMillisecond = 1000000LL;
// The runner's wake-ups should land on the byte deadlines, not 50 us late.
constexpr unsigned long timerSlackNanoseconds = 1;
constexpr auto stalledPause = std::chrono::milliseconds(1);
// Events taken per wait: a station is at most a few dozen lines, and any
// left over come with the next wait.
constexpr int eventBatch = 64;

// A device answers within its deadlines whatever the computer is doing; on a
// loaded test machine the runner needs the scheduler's help to do the same.
// Without the right to it (not root), it runs at normal priority.
void AskForRealTimePriority() {
  sched_param parameters{};
  parameters.sched_priority = sched_get_priority_min(SCHED_FIFO);
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameters);
}

timespec TimeoutUntil(SimClock::time_point deadline) {
  const auto left = std::max(SimClock::duration::zero(), deadline - SimClock::now());
  const long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
  return {static_cast<time_t>(ns / nanosecondsPerSecond), static_cast<long>(ns % nanosecondsPerSecond)};
}

// Waits for events until `timeout` (null: for ever). Linux before 5.11 has
// no nanosecond wait; there the timeout is rounded up to whole milliseconds,
// so answers may leave up to a millisecond late but never early.
int WaitForEvents(int watch, epoll_event* events, int count, const timespec* timeout) {
  const int ready = epoll_pwait2(watch, events, count, timeout, nullptr);
  if (ready >= 0 || errno != ENOSYS) return ready;
  int milliseconds = -1;
  if (timeout != nullptr) {
    const long long ns = timeout->tv_sec * nanosecondsPerSecond + timeout->tv_nsec;
    milliseconds = static_cast<int>((ns + nanosecondsPerMillisecond - 1) / nanosecondsPerMillisecond);
  }
  return epoll_wait(watch, events, count, milliseconds);
}

}  // namespace

// The lines are watched through an edge-triggered epoll set, never by
// polling each one: the kernel's poll and read of a pty that holds no input
// wait for its pending hand-over work, so a scan of eight idle lines could
// keep every device's answers waiting on a busy machine's worker threads.
struct SimRunner::State {
  std::mutex mutex;  // guards lines; held while the thread touches a line
  std::vector<SimLine*> lines;
  int wake[2] = {-1, -1};
  int watch = -1;           // the epoll set: the wake pipe and each line's master
  bool stopping = false;    // under mutex
  std::thread thread;

  void Run();
  void Poke();
  void DrainWake();
  bool EarliestDeadline(SimClock::time_point* deadline) const;
  bool Joined(const SimLine* line) const;
  bool Serve(const epoll_event* events, int count);
};

void SimRunner::State::Poke() {
  const uint8_t poke = 0;
  (void)!::write(wake[1], &poke, 1);
}

void SimRunner::State::DrainWake() {
  uint8_t pokes[64];
  while (::read(wake[0], pokes, sizeof pokes) > 0) {
  }
}

bool SimRunner::State::EarliestDeadline(SimClock::time_point* deadline) const {
  bool any = false;
  for (const SimLine* line : lines) {
    SimClock::time_point due;
    if (!line->NextDeadline(&due)) continue;
    if (!any || due < *deadline) *deadline = due;
    any = true;
  }
  return any;
}

bool SimRunner::State::Joined(const SimLine* line) const {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Takes in what arrived on the lines with events and sends what is due on
// all. Returns true when a line looked readable without being so.
bool SimRunner::State::Serve(const epoll_event* events, int count) {
  bool stalled = false;
  for (int i = 0; i < count; ++i) {
    if (events[i].data.ptr == nullptr) continue;  // the wake pipe
    SimLine* line = static_cast<SimLine*>(events[i].data.ptr);
    // An event may still name a line that left after the wait returned.
    if (!Joined(line)) continue;
    if (events[i].events & EPOLLIN) {
      line->Receive();
    } else if (events[i].events & (EPOLLHUP | EPOLLERR)) {
      stalled = true;  // cannot happen while our own slave is open
    }
  }
  const SimClock::time_point now = SimClock::now();
  for (SimLine* line : lines) line->SendDue(now);
  return stalled;
}

void SimRunner::State::Run() {
  prctl(PR_SET_TIMERSLACK, timerSlackNanoseconds);
  AskForRealTimePriority();
  epoll_event events[eventBatch];
  for (;;) {
    SimClock::time_point deadline;
    bool timed = false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (stopping) return;
      timed = EarliestDeadline(&deadline);
    }
    timespec timeout{};
    if (timed) timeout = TimeoutUntil(deadline);
    const int ready = WaitForEvents(watch, events, eventBatch, timed ? &timeout : nullptr);
    if (ready < 0 && errno != EINTR) return;
    bool stalled = false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (stopping) return;
      for (int i = 0; i < ready; ++i) {
        if (events[i].data.ptr == nullptr) DrainWake();
      }
      stalled = Serve(events, std::max(ready, 0));
    }
    // Do not spin on a line that keeps saying it is readable.
    if (stalled) std::this_thread::sleep_for(stalledPause);
  }
}

SimRunner::SimRunner() : state(new State) {
  if (pipe2(state->wake, O_CLOEXEC | O_NONBLOCK) != 0) return;
  state->watch = epoll_create1(EPOLL_CLOEXEC);
  if (state->watch < 0) return;
  epoll_event poke{};
  poke.events = EPOLLIN;
  poke.data.ptr = nullptr;
  if (epoll_ctl(state->watch, EPOLL_CTL_ADD, state->wake[0], &poke) != 0) return;
  state->thread = std::thread([this] { state->Run(); });
}

SimRunner::~SimRunner() {
  if (state->thread.joinable()) {
    {
      std::lock_guard<std::mutex> lock(state->mutex);
      state->stopping = true;
    }
    state->Poke();
    state->thread.join();
  }
  for (int fd : state->wake) {
    if (fd >= 0) ::close(fd);
  }
  if (state->watch >= 0) ::close(state->watch);
}

bool SimRunner::Ok() const { return state->thread.joinable(); }

void SimRunner::Add(SimLine* line) {
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->lines.push_back(line);
    // Edge-triggered: a line is looked at when bytes arrive, and only then.
    epoll_event arrival{};
    arrival.events = EPOLLIN | EPOLLET;
    arrival.data.ptr = line;
    if (line->master >= 0) epoll_ctl(state->watch, EPOLL_CTL_ADD, line->master, &arrival);
  }
  state->Poke();
}

void SimRunner::Remove(SimLine* line) {
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    std::vector<SimLine*>& lines = state->lines;
    lines.erase(std::remove(lines.begin(), lines.end(), line), lines.end());
    // A line hung up by a fault has closed its master, which left the set.
    if (line->master >= 0) epoll_ctl(state->watch, EPOLL_CTL_DEL, line->master, nullptr);
  }
  state->Poke();
}
