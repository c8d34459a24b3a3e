// One job on several devices at once, in one process: a thread and a run
// context per device. The threads share nothing but the view's output lock
// and the stop signals; a device that hangs up, stays silent or talks
// garbage ends alone, and the others go on as if it were not there.
#pragma once

#include <functional>
#include <vector>

#include "cli/device_job.h"
#include "runner/job.h"
#include "runner/run_job.h"

// How a station shows its devices while they work (the two outputs are in
// station_view_rows.h and station_view_lines.h).
class StationView {
 public:
  virtual ~StationView() = default;
  // Device `index`'s sinks, asked for before any device starts; they are
  // called from its thread.
  virtual DeviceReports ReportsFor(int index) = 0;
  // From the device's thread, once its port is closed.
  virtual void Finished(int index, const JobResult& result) = 0;
  // From the main thread, several times a second while any device works.
  virtual void Tick() = 0;
  // From the main thread, once every device has ended.
  virtual void End(const std::vector<JobResult>& results) = 0;
};

// What a device's thread does with its result before the view hears of it
// (the job record's row); it may change the status.
using SettleResult =
    std::function<void(const Job& job, JobResult& result, const DeviceReports& reports)>;

// Runs jobs[i] on ports[i], all at once; the results in the ports' order.
std::vector<JobResult> RunStation(const std::vector<DevicePort>& ports,
                                  const std::vector<Job>& jobs, const SettleResult& settle,
                                  StationView& view);
