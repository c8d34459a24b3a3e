// velt-flash --json: each device's job as events on stdout (json_events.h),
// for one port as for a station; the frames of --trace stay text on stderr.
#pragma once

#include <chrono>
#include <cstdio>
#include <vector>

#include "cli/json_events.h"
#include "cli/station.h"

struct JsonViewSettings {
  bool quiet;  // no progress lines and no progress events
  bool trace;  // the frames, as text on `errors`
  std::FILE* errors;
};

class StationJsonView final : public StationView {
 public:
  StationJsonView(const std::vector<DevicePort>& ports, const std::vector<Job>& jobs,
                  JsonEvents& events, const JsonViewSettings& settings);

  DeviceReports ReportsFor(int index) override;
  void Finished(int index, const JobResult& result) override;
  void Tick() override {}
  void End(const std::vector<JobResult>& results) override;

 private:
  // One device's pages, touched only from its own thread.
  struct Device {
    PageProgress pages;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point lastProgress;
  };
  void CountPage(int index, PageWork work);

  std::vector<std::string> ports;  // as given
  std::vector<Job> jobs;
  JsonEvents& events;
  JsonViewSettings settings;
  std::vector<Device> devices;
};
