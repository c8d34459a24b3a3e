// How velt-sim should serve a station: one runner thread for all devices
// with one poll set, or one thread per device. Runs the firmware load by
// eight velt-flash processes against eight devices paced at 57600 baud,
// served each way in this process, and prints the simulator's CPU time and
// how late its answers left against their deadlines.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/child_process.h"
#include "sim/sim_runner.h"
#include "sim/simulator.h"

namespace {

constexpr int stationSize = 8;
constexpr int exitStarted = 0;
constexpr double microsecondsPerSecond = 1e6;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / microsecondsPerSecond;
}

void Measure(const char* name, bool shared) {
  SimRunner runner;
  std::vector<std::unique_ptr<Simulator>> devices;
  for (int k = 0; k < stationSize; ++k) {
    devices.emplace_back(shared ? new Simulator(SimOptions{}, runner) : new Simulator(SimOptions{}));
  }
  const double cpuBefore = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  std::vector<pid_t> flashers;
  for (const std::unique_ptr<Simulator>& device : devices) {
    flashers.push_back(StartChild({VELT_FLASH_BINARY, "--port", device->DevicePath(), "firmware"}, -1));
  }
  bool ok = true;
  for (pid_t pid : flashers) ok = WaitChild(pid).status == exitStarted && ok;
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = CpuSeconds() - cpuBefore;
  int answers = 0;
  double lateMs = 0;
  double worstMs = 0;
  for (const std::unique_ptr<Simulator>& device : devices) {
    const Simulator::Pacing pacing = device->AnswerPacing();
    answers += pacing.answers;
    lateMs += pacing.lateMs;
    if (pacing.worstLateMs > worstMs) worstMs = pacing.worstLateMs;
  }
  std::printf("%-22s %s  wall %7.1f ms  simulator CPU %6.3f s (%4.1f %% of a core)  "
              "answers late %.3f ms on average, %.3f ms at worst\n",
              name, ok ? "ok  " : "FAIL", wall * 1000, cpu, 100 * cpu / wall,
              answers > 0 ? lateMs / answers : 0, worstMs);
}

}  // namespace

int main() {
  Measure("one runner for all", true);
  Measure("one thread per device", false);
  return 0;
}
