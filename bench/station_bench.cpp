// The station: the firmware load by velt-flash on one device of velt-sim
// paced at 57600 baud, then on eight at once, in the same run. Prints both
// wall times, their ratio, velt-flash's CPU time per device and its peak
// memory, each against its target. The simulator hands answers over as a
// UART's receive FIFO does; a last run hands them over byte by byte, which
// no receiver does, to show what that costs.
//
//   station_bench [--check]   --check: exit 1 when a target is not met
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/child_process.h"
#include "bench/stolen_time.h"

namespace {

constexpr int stationSize = 8;
constexpr double stationWallTarget = 1.07;      // eight devices' wall against one's
constexpr double cpuPercentTarget = 2.0;        // of one core, per device
constexpr double peakMegabytesTarget = 20.0;    // for the eight
constexpr int exitStarted = 0;
constexpr int uartFifoBytes = 8;  // where a 16550's receive FIFO hands over
constexpr int byteByByte = 1;

struct Load {
  bool ok = false;  // every device ended in "Запуск."
  double wallSeconds = 0;
  double cpuSeconds = 0;     // velt-flash's, user + system
  double peakMegabytes = 0;  // velt-flash's
  double simCpuSeconds = 0;
  double stolenMs = 0;  // by the host of a virtual machine, meanwhile
};

// One velt-flash for all the devices, as the station runs it.
Load RunLoad(int devices, int fifo, const std::string& folder) {
  Load load;
  const SimProcess sim = StartSim(VELT_SIM_BINARY, devices, fifo, folder);
  if (static_cast<int>(sim.links.size()) != devices) {
    StopSim(sim);
    return load;
  }
  std::vector<std::string> command = {VELT_FLASH_BINARY};
  for (const std::string& link : sim.links) {
    command.push_back("--port");
    command.push_back(link);
  }
  command.push_back("firmware");
  const double stolenBefore = StolenMilliseconds();
  const auto start = std::chrono::steady_clock::now();
  const ChildUsage usage = WaitChild(StartChild(command, -1));
  load.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  load.stolenMs = StolenMilliseconds() - stolenBefore;
  load.ok = usage.status == exitStarted;
  load.cpuSeconds = usage.cpuSeconds;
  load.peakMegabytes = usage.peakMegabytes;
  load.simCpuSeconds = StopSim(sim).cpuSeconds;
  return load;
}

const char* Verdict(bool met) { return met ? "met" : "NOT met"; }

void PrintLoad(const char* name, int devices, const Load& load) {
  std::printf("%-14s %s  wall %7.1f ms  velt-flash CPU %6.3f s (%.2f %% of a core per device)  "
              "peak %5.1f MB  velt-sim CPU %6.3f s  host took %.0f ms\n",
              name, load.ok ? "ok  " : "FAIL", load.wallSeconds * 1000, load.cpuSeconds,
              100 * load.cpuSeconds / devices / load.wallSeconds, load.peakMegabytes,
              load.simCpuSeconds, load.stolenMs);
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc > 1 && std::strcmp(argv[1], "--check") == 0;
  char pattern[] = "/tmp/velt-station-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::fprintf(stderr, "station_bench: no temporary folder\n");
    return 1;
  }
  const std::string folder = pattern;
  const Load one = RunLoad(1, uartFifoBytes, folder + "/one");
  const Load eight = RunLoad(stationSize, uartFifoBytes, folder + "/eight");
  const Load eightByByte = RunLoad(stationSize, byteByByte, folder + "/bytes");
  rmdir(pattern);

  std::printf("firmware load by velt-flash, velt-sim paced at 57600 baud, answers handed over "
              "%d bytes at a time\n", uartFifoBytes);
  PrintLoad("one device", 1, one);
  PrintLoad("eight devices", stationSize, eight);
  PrintLoad("byte by byte", stationSize, eightByByte);
  const double ratio = eight.wallSeconds / one.wallSeconds;
  const double cpuPercent = 100 * eight.cpuSeconds / stationSize / eight.wallSeconds;
  const bool ok = one.ok && eight.ok;
  const bool wallMet = ok && ratio <= stationWallTarget;
  const bool cpuMet = ok && cpuPercent <= cpuPercentTarget;
  const bool memoryMet = ok && eight.peakMegabytes < peakMegabytesTarget;
  std::printf("target: eight devices' wall <= %.2f times one's: %.3f (throughput %.2f devices): %s\n",
              stationWallTarget, ratio, stationSize / ratio, Verdict(wallMet));
  std::printf("target: CPU <= %.0f %% of a core per device: %.2f %%: %s\n", cpuPercentTarget,
              cpuPercent, Verdict(cpuMet));
  std::printf("target: peak memory for eight < %.0f MB: %.1f MB: %s\n", peakMegabytesTarget,
              eight.peakMegabytes, Verdict(memoryMet));
  return check && !(wallMet && cpuMet && memoryMet) ? 1 : 0;
}
