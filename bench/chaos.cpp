// N firmware, write and reset jobs against the device model, each with a
// fault schedule drawn from its own seed, each checked against the device's
// memory and what it heard. Prints the run's seed, the count per outcome and
// per job, and every violation with the seed that repeats it alone.
//
//   chaos N [SEED]        SEED: the run's seed (default: drawn, and printed)
//   chaos --job SEED      runs the one job of that seed and prints its schedule
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "tests/support/chaos.h"

namespace {

constexpr int exitViolation = 1;
constexpr int exitUsage = 2;

bool ParseNumber(const char* text, unsigned long long* value) {
  char* end = nullptr;
  *value = std::strtoull(text, &end, 0);
  return end != text && *end == '\0';
}

void PrintViolation(const ChaosSchedule& schedule, const ChaosVerdict& verdict) {
  std::printf("violation: %s, ended %s\n", schedule.Describe().c_str(), ChaosEndName(verdict.end).c_str());
  for (const std::string& line : verdict.violations) std::printf("  %s\n", line.c_str());
}

int RunOne(uint64_t seed) {
  const ChaosSchedule schedule = DrawChaosSchedule(seed);
  const ChaosVerdict verdict = RunChaosCase(schedule);
  std::printf("%s\nended %s\n", schedule.Describe().c_str(), ChaosEndName(verdict.end).c_str());
  for (const std::string& line : verdict.violations) std::printf("  violation: %s\n", line.c_str());
  return verdict.violations.empty() ? 0 : exitViolation;
}

}  // namespace

int main(int argc, char** argv) {
  unsigned long long count = 0;
  unsigned long long seed = std::random_device{}();
  if (argc == 3 && std::strcmp(argv[1], "--job") == 0 && ParseNumber(argv[2], &seed)) return RunOne(seed);
  if (argc < 2 || argc > 3 || !ParseNumber(argv[1], &count) || (argc == 3 && !ParseNumber(argv[2], &seed))) {
    std::fprintf(stderr, "usage: chaos N [SEED] | chaos --job SEED\n");
    return exitUsage;
  }
  std::printf("chaos: %llu jobs, seed %llu\n", count, seed);
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  const ChaosTally tally = RunChaos(static_cast<int>(count), seed, PrintViolation);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  for (int k = 0; k < chaosJobKinds; ++k) {
    std::printf("job %-9s %6d\n", JobKindName(chaosJobs[k]), tally.kinds[k]);
  }
  for (int e = 0; e < chaosEndKinds; ++e) {
    std::printf("ended %-22s %6d\n", ChaosEndName(chaosEnds[e]).c_str(), tally.ends[e]);
  }
  std::printf("violations: %zu in %d jobs, %.1f s\n", tally.violatingSeeds.size(), tally.jobs, seconds);
  return tally.violatingSeeds.empty() ? 0 : exitViolation;
}
