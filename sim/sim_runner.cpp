#include "sim/sim_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
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
// The runner's wake-ups should land on the byte deadlines, not 50 us late.
constexpr unsigned long timerSlackNanoseconds = 1;
constexpr auto stalledPause = std::chrono::milliseconds(1);

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

}  // namespace

struct SimRunner::State {
  std::mutex mutex;  // guards lines and generation; held while the thread touches a line
  std::vector<SimLine*> lines;
  unsigned generation = 0;  // changes whenever a line joins or leaves
  int wake[2] = {-1, -1};
  bool stopping = false;    // under mutex
  std::thread thread;

  void Run();
  void Poke();
  void DrainWake();
  bool EarliestDeadline(SimClock::time_point* deadline) const;
  bool Serve(const std::vector<pollfd>& fds, const std::vector<SimLine*>& polled);
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

// Takes in what arrived on the lines polled and sends what is due on all.
// Returns true when a line looked readable without being so.
bool SimRunner::State::Serve(const std::vector<pollfd>& fds, const std::vector<SimLine*>& polled) {
  bool stalled = false;
  for (size_t i = 0; i < polled.size(); ++i) {
    const short events = fds[i + 1].revents;
    if (events & POLLIN) {
      polled[i]->Receive();
    } else if (events & (POLLHUP | POLLERR)) {
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
  std::vector<SimLine*> polled;
  std::vector<pollfd> fds;
  for (;;) {
    SimClock::time_point deadline;
    bool timed = false;
    unsigned seen = 0;
    {
      // Only under the lock: a line may leave, and go, at any moment.
      std::lock_guard<std::mutex> lock(mutex);
      if (stopping) return;
      polled = lines;
      seen = generation;
      timed = EarliestDeadline(&deadline);
      fds.assign(1, pollfd{wake[0], POLLIN, 0});
      for (const SimLine* line : polled) fds.push_back({line->master, POLLIN, 0});
    }
    timespec timeout{};
    if (timed) timeout = TimeoutUntil(deadline);
    const int ready = ppoll(fds.data(), fds.size(), timed ? &timeout : nullptr, nullptr);
    if (ready < 0 && errno != EINTR) return;
    if (fds[0].revents & POLLIN) DrainWake();
    bool stalled = false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (stopping) return;
      // A line that left meanwhile may have had its descriptor reused.
      if (generation != seen) continue;
      stalled = Serve(fds, polled);
    }
    // Do not spin on a line that keeps saying it is readable.
    if (stalled) std::this_thread::sleep_for(stalledPause);
  }
}

SimRunner::SimRunner() : state(new State) {
  if (pipe2(state->wake, O_CLOEXEC | O_NONBLOCK) != 0) return;
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
}

bool SimRunner::Ok() const { return state->thread.joinable(); }

void SimRunner::Add(SimLine* line) {
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->lines.push_back(line);
    ++state->generation;
  }
  state->Poke();
}

void SimRunner::Remove(SimLine* line) {
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    std::vector<SimLine*>& lines = state->lines;
    lines.erase(std::remove(lines.begin(), lines.end(), line), lines.end());
    ++state->generation;
  }
  state->Poke();
}
