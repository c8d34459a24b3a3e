// What the kernel's pseudo-terminals allow on this machine, with no loader
// and no simulator: eight pty pairs, each with a thread that echoes on the
// master and a tool thread that writes one byte to the slave every
// millisecond and waits for it to come back. Prints the round trips'
// median, 99th percentile and worst. A device model on a pty can answer no
// faster than this; velt-flash gives an erase about 55 ms.
//
//   pty_round_trip_bench [SECONDS]
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int pairs = 8;                // a station
constexpr int defaultSeconds = 10;
constexpr int pollLimitMilliseconds = 2000;  // a byte never back counts as this
constexpr double budgetMilliseconds = 55;    // about an erase's poll budget
constexpr int percentile = 99;

struct Pair {
  int master = -1;
  int slave = -1;
};

bool Open(Pair* pair) {
  pair->master = posix_openpt(O_RDWR | O_NOCTTY);
  if (pair->master < 0 || grantpt(pair->master) != 0 || unlockpt(pair->master) != 0) return false;
  pair->slave = ::open(ptsname(pair->master), O_RDWR | O_NOCTTY);
  if (pair->slave < 0) return false;
  termios settings{};
  tcgetattr(pair->slave, &settings);
  cfmakeraw(&settings);
  return tcsetattr(pair->slave, TCSANOW, &settings) == 0;
}

void Echo(int master) {
  char buffer[256];
  for (;;) {
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n <= 0 || ::write(master, buffer, n) != n) return;
  }
}

void Tool(int slave, Clock::time_point end, std::vector<double>* trips) {
  while (Clock::now() < end) {
    char byte = 'x';
    const Clock::time_point sent = Clock::now();
    if (::write(slave, &byte, 1) != 1) return;
    pollfd waiting{slave, POLLIN, 0};
    if (poll(&waiting, 1, pollLimitMilliseconds) > 0) (void)!::read(slave, &byte, 1);
    trips->push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
    usleep(1000);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : defaultSeconds;
  std::vector<Pair> lines(pairs);
  for (Pair& pair : lines) {
    if (!Open(&pair)) {
      std::fprintf(stderr, "pty_round_trip_bench: no pseudo-terminal\n");
      return 1;
    }
  }
  const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
  std::vector<std::vector<double>> trips(pairs);
  std::vector<std::thread> threads;
  for (int k = 0; k < pairs; ++k) {
    std::thread(Echo, lines[k].master).detach();  // ends when the process does
    threads.emplace_back(Tool, lines[k].slave, end, &trips[k]);
  }
  for (std::thread& thread : threads) thread.join();
  std::vector<double> all;
  for (const std::vector<double>& t : trips) all.insert(all.end(), t.begin(), t.end());
  if (all.empty()) return 1;
  std::sort(all.begin(), all.end());
  const long over = std::count_if(all.begin(), all.end(), [](double t) { return t > budgetMilliseconds; });
  std::printf("pty round trips, %d pairs, %d s: %zu trips, median %.3f ms, p%d %.3f ms, worst %.1f ms, "
              "%ld over %.0f ms\n",
              pairs, seconds, all.size(), all[all.size() / 2], percentile,
              all[all.size() * percentile / 100], all.back(), over, budgetMilliseconds);
  std::fflush(stdout);
  _exit(0);  // the echo threads are still reading
}
