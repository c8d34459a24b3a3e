// Everything one job on one device touches: the link to the device, where
// the job's reports go, whether it has been asked to stop, and what it was
// doing when it failed. One per device, so that jobs on several devices run
// side by side; the window has one of its own, over cm.
#pragma once

#include <atomic>
#include <cstdint>

#include "link/boot_link.h"
#include "loader/job_failure.h"
#include "loader/report.h"

struct RunContext {
  explicit RunContext(BootLink& deviceLink);
  ~RunContext();
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  BootLink& link;
  ReportSinks reports;
  // Set from anywhere (a button, a signal handler), cleared by whoever
  // starts the next job: the job stops before its next step.
  std::atomic<bool> stopRequested{false};
  JobStep step;        // what the job is doing now
  JobFailure failure;  // what it was doing when it failed
  // The device answered the job's first presence query: a write that never
  // got this far leaves the operator's file loaded for another try.
  bool contacted = false;
  uint8_t readBuffer[linkBufferSize] = {};  // the decoded answers of page reads
};

inline bool StopRequested(const RunContext& run) { return run.stopRequested; }

// The reports, each to its sink.
void Log(RunContext& run, LineKind kind, const char* text);
void ReportPage(RunContext& run, PageWork work, uint32_t address);
void ReportDifference(RunContext& run, const PageDifference& difference);
void Trace(RunContext& run, const char* line);
