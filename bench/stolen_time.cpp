#include "bench/stolen_time.h"

#include <unistd.h>

#include <cstdio>

namespace {

constexpr double millisecondsPerSecond = 1000.0;

}  // namespace

double StolenMilliseconds() {
  std::FILE* stat = std::fopen("/proc/stat", "r");
  if (stat == nullptr) return 0;
  // cpu user nice system idle iowait irq softirq steal
  unsigned long long skipped[7] = {};
  unsigned long long steal = 0;
  const int fields = std::fscanf(stat, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &skipped[0],
                                 &skipped[1], &skipped[2], &skipped[3], &skipped[4], &skipped[5],
                                 &skipped[6], &steal);
  std::fclose(stat);
  const long ticksPerSecond = sysconf(_SC_CLK_TCK);
  if (fields != 8 || ticksPerSecond <= 0) return 0;
  return steal * millisecondsPerSecond / ticksPerSecond;
}
