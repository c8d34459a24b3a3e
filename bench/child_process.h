// The programs a benchmark measures, run as the operator runs them: each a
// child process whose CPU time and peak memory the kernel reports at its end.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct ChildUsage {
  int status = -1;          // exit status, or -1 when it did not exit by itself
  double cpuSeconds = 0;    // user + system
  double peakMegabytes = 0; // largest resident set
};

// Starts `argv` with stdin and stderr on /dev/null and stdout on `output`
// (-1: /dev/null too). Returns its pid, or -1.
pid_t StartChild(const std::vector<std::string>& argv, int output);

// Waits for it to end.
ChildUsage WaitChild(pid_t pid);

// velt-sim serving `devices` devices paced at 57600 baud, handing answers
// over `fifo` bytes at a time, with `options` besides, its links
// FOLDER/dev1 ...; returns once all are up.
struct SimProcess {
  pid_t pid = -1;
  std::vector<std::string> links;
};
SimProcess StartSim(const std::string& program, int devices, int fifo, const std::string& folder,
                    const std::vector<std::string>& options = {});
// Stops it and waits for it.
ChildUsage StopSim(const SimProcess& sim);
