// One device's job in velt-flash: the runner's job on its port, with what
// velt-flash says around it. Everything it says goes to the sinks, so that
// one device prints straight to the console and a station's devices each
// through their own prefix.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "cli/port_listing.h"
#include "cli/stop_signals.h"
#include "cli/tracing_line.h"
#include "loader/report.h"
#include "runner/job.h"
#include "runner/run_job.h"

// Each call is one whole line, without its line feed.
struct DeviceReports {
  std::function<void(LineKind kind, const char* text)> log;  // the procedure's lines
  std::function<void(PageWork work, uint32_t address)> page;
  std::function<void()> ended;  // the procedure is over; what explains its end follows
  std::function<void(const std::string& line)> error;  // "velt-flash: ..." for stderr
  std::function<void(const std::string& line)> trace;  // the load's trace line; empty drops it
  TraceLineSink frames;  // every frame (--trace); empty: none
};

struct DeviceJobSetup {
  StopSignals* stops = nullptr;
  int slot = 0;  // the device's place among the stoppable jobs
};

// The result is the runner's; save-coefficients' file is its caller's to
// write from the pages read.
JobResult RunDeviceJob(const Job& job, const DevicePort& port, const DeviceJobSetup& setup,
                       const DeviceReports& reports);
