// One device's job, from opening its port to closing it: the procedure the
// window's button would run, and what velt-flash says around it. Everything
// it says goes to the sinks, so that one device prints straight to the
// console and a station's devices each through their own prefix.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "cli/device_result.h"
#include "cli/flash_arguments.h"
#include "cli/port_listing.h"
#include "cli/stop_signals.h"
#include "cli/tracing_line.h"
#include "loader/report.h"

// Each call is one whole line, without its line feed.
struct DeviceReports {
  std::function<void(const char* line)> log;  // the procedure's lines, colour prefixes and all
  std::function<void(PageWork work, uint32_t address)> page;
  std::function<void()> ended;  // the procedure is over; what explains its end follows
  std::function<void(const std::string& line)> error;  // "velt-flash: ..." for stderr
  std::function<void(const std::string& line)> trace;  // the load's trace line; empty drops it
  TraceLineSink frames;  // every frame (--trace); empty: none
};

struct DeviceJobSetup {
  FlashJob job = FlashJob::none;
  StopSignals* stops = nullptr;
  int slot = 0;                     // the device's place among the stoppable jobs
  uint8_t* coefficients = nullptr;  // save-coefficients reads coefficientPagesSize bytes into it
};

// The result's status is the procedure's; save-coefficients' file is its
// caller's to write.
DeviceResult RunDeviceJob(const DevicePort& port, const DeviceJobSetup& setup,
                          const DeviceReports& reports);
