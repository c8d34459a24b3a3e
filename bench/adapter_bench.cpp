// The firmware load through simulated USB adapters: velt-sim with latency
// timers of 1, 4 and 16 ms (and none, for reference), each first probed by
// the runner's probe, then loaded by velt-flash as the operator runs it.
// Prints each load's time, its ratio to the line's own time and the probe's
// prediction, against the target of a prediction within 10 %, and what the
// 16 ms adapter costs over the 1 ms one.
//
//   adapter_bench [--check]   --check: exit 1 when a target is not met
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/child_process.h"
#include "firmware/firmware_images.h"
#include "link/boot_link.h"
#include "link/com_port.h"
#include "runner/run_job.h"

namespace {

constexpr int latenciesMs[] = {0, 1, 4, 16};  // 0: no adapter
constexpr int slowLatencyMs = 16;
constexpr int fastLatencyMs = 1;
constexpr double predictionTarget = 0.10;  // of the measured load
constexpr int exitStarted = 0;
constexpr int receiverFifoBytes = 1;

struct AdapterRun {
  int latencyMs = 0;
  bool ok = false;  // the probe found all three, and the load ended in "Запуск."
  double delayMs = 0;  // the probe's adapter delay per exchange
  double lineSeconds = 0;
  double predictedSeconds = 0;
  double loadSeconds = 0;
};

LineProbe Probe(const std::string& device, bool* ok) {
  ComPort port;
  BootLink link(&port);
  RunContext run(link);
  Job job;
  job.kind = JobKind::probe;
  job.firmware = BuiltInFirmwareTables();
  const JobResult result = RunJob(job, {device, device}, port, run);
  *ok = result.outcome == JobOutcome::started;
  return result.probe;
}

AdapterRun RunThrough(int latencyMs, const std::string& folder) {
  AdapterRun adapter;
  adapter.latencyMs = latencyMs;
  std::vector<std::string> options;
  if (latencyMs > 0) options = {"--adapter-latency", std::to_string(latencyMs)};
  const SimProcess sim = StartSim(VELT_SIM_BINARY, 1, receiverFifoBytes, folder, options);
  if (sim.links.size() != 1) {
    StopSim(sim);
    return adapter;
  }
  bool probed = false;
  const LineProbe probe = Probe(sim.links[0], &probed);
  adapter.delayMs = probe.answerDelayMs;
  adapter.lineSeconds = probe.lineSeconds;
  adapter.predictedSeconds = probe.predictedSeconds;
  const auto start = std::chrono::steady_clock::now();
  const ChildUsage usage =
      WaitChild(StartChild({VELT_FLASH_BINARY, "--port", sim.links[0], "firmware"}, -1));
  adapter.loadSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  adapter.ok = probed && usage.status == exitStarted;
  StopSim(sim);
  return adapter;
}

bool PredictionMet(const AdapterRun& run) {
  return run.ok && std::fabs(run.predictedSeconds - run.loadSeconds) <= predictionTarget * run.loadSeconds;
}

const AdapterRun* WithLatency(const std::vector<AdapterRun>& runs, int latencyMs) {
  for (const AdapterRun& run : runs) {
    if (run.latencyMs == latencyMs) return &run;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc > 1 && std::strcmp(argv[1], "--check") == 0;
  char pattern[] = "/tmp/velt-adapter-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    std::fprintf(stderr, "adapter_bench: no temporary folder\n");
    return 1;
  }
  std::vector<AdapterRun> runs;
  for (const int latency : latenciesMs) {
    runs.push_back(RunThrough(latency, std::string(pattern) + "/" + std::to_string(latency)));
  }
  rmdir(pattern);

  std::printf("firmware load by velt-flash through velt-sim's USB adapter model, paced at 57600 "
              "baud; prediction by the probe\n");
  bool met = true;
  for (const AdapterRun& run : runs) {
    const bool predicted = PredictionMet(run);
    // The run without an adapter is the reference, not a target.
    if (run.latencyMs > 0) met = met && predicted;
    std::printf("adapter %2d ms  %s  load %6.2f s  line %5.2f s  ratio %5.2f  probe: delay %5.1f ms, "
                "predicted %6.2f s (%+5.1f %%)%s\n",
                run.latencyMs, run.ok ? "ok  " : "FAIL", run.loadSeconds, run.lineSeconds,
                run.lineSeconds > 0 ? run.loadSeconds / run.lineSeconds : 0, run.delayMs,
                run.predictedSeconds,
                run.loadSeconds > 0 ? 100 * (run.predictedSeconds / run.loadSeconds - 1) : 0,
                run.latencyMs == 0 ? "  (reference)" : predicted ? "" : "  NOT met");
  }
  const AdapterRun* slow = WithLatency(runs, slowLatencyMs);
  const AdapterRun* fast = WithLatency(runs, fastLatencyMs);
  if (slow != nullptr && fast != nullptr && slow->ok && fast->ok) {
    std::printf("the %d ms adapter costs %.2f s more than the %d ms one (%.2f times as long)\n",
                slowLatencyMs, slow->loadSeconds - fast->loadSeconds, fastLatencyMs,
                slow->loadSeconds / fast->loadSeconds);
  }
  std::printf("target: prediction within %.0f %% of the load at each latency: %s\n",
              100 * predictionTarget, met ? "met" : "NOT met");
  return check && !met ? 1 : 0;
}
