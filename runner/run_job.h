// The one job runner under both front ends: opens the device's port, runs
// the job's procedure in the device's run context, tallies its pages and
// lines, and closes the port. What the front ends add (the window's busy
// pictures, velt-flash's explanations, the saved file) comes before or after.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include <optional>

#include "coeff/coefficient_file.h"
#include "firmware/firmware_set.h"
#include "link/com_port.h"
#include "loader/run_context.h"
#include "runner/job.h"
#include "runner/job_outcome.h"

struct JobResult {
  std::string port;  // as the operator named it
  JobKind kind = JobKind::firmware;
  JobOutcome outcome = JobOutcome::failed;
  int status = 0;  // the device's exit status
  std::chrono::system_clock::time_point started;  // when its job began
  double seconds = 0;  // from then until its port was closed
  int pagesWritten = 0;
  int pagesVerified = 0;
  std::string lastLine;  // the job's last log line
  // The failed step and what came back, or why the port did not open; ""
  // when nothing failed.
  std::string failure;
  // The device answered the job's first presence query.
  bool reachedDevice = false;
  // save-coefficients: the pages read, whole when the outcome is started or
  // startNotConfirmed.
  CoefficientImage read{};
  // read-firmware: the set the device holds, with its digest, when every
  // page was read.
  std::optional<FirmwareSet> firmwareRead;
  // probe: what it measured, and the lines that say it beyond the log's:
  // the adapter's delay, the load's time, the adapter and advice on it.
  LineProbe probe;
  std::vector<std::string> probeLines;
  std::string probeAdvice;  // the last of them when there is advice; "" otherwise
};

// Where the job goes: the name the operator knows the port by, and what is
// opened, a port digit '1'..'4' or a device.
struct JobPort {
  std::string given;
  std::string device;
};

// Runs `job` on the port in `run`, whose link speaks through `com`. The
// caller has cleared the run's stop request; a stop requested meanwhile
// ends the job between two steps.
JobResult RunJob(const Job& job, const JobPort& port, ComPort& com, RunContext& run);

// The result of a job that was refused before its port was opened.
JobResult NotRun(const Job& job, const JobPort& port, JobOutcome outcome);
