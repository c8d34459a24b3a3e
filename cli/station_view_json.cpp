#include "cli/station_view_json.h"

#include "cli/exit_rule.h"
#include "link/printable_text.h"

namespace {

// Often enough for a progress bar of a factory system, rarely enough that
// a station of 32 devices stays a readable stream.
constexpr std::chrono::milliseconds progressInterval{200};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

StationJsonView::StationJsonView(const std::vector<DevicePort>& devicePorts,
                                 const std::vector<Job>& deviceJobs, JsonEvents& jsonEvents,
                                 const JsonViewSettings& viewSettings)
    : jobs(deviceJobs), events(jsonEvents), settings(viewSettings), devices(devicePorts.size()) {
  for (size_t i = 0; i < devicePorts.size(); ++i) {
    ports.push_back(devicePorts[i].given);
    devices[i].pages = JobPages(jobs[i]);
  }
}

DeviceReports StationJsonView::ReportsFor(int index) {
  const std::string port = ports[index];
  devices[index].started = std::chrono::steady_clock::now();
  events.Start(port, jobs[index]);
  DeviceReports reports;
  reports.log = [this, port](LineKind kind, const char* text) {
    if (settings.quiet && kind != LineKind::failure) return;
    events.Line(port, kind, text);
  };
  if (!settings.quiet) {
    reports.page = [this, index](PageWork work, uint32_t) { CountPage(index, work); };
  }
  reports.error = [this, port](const std::string& line) { events.Detail(port, line); };
  if (!settings.quiet || settings.trace) reports.trace = reports.error;
  if (settings.trace) {
    reports.frames = [this, port](const std::string& line) {
      std::fprintf(settings.errors, "%s: %s\n", PrintableText(port).c_str(), line.c_str());
    };
  }
  return reports;
}

void StationJsonView::CountPage(int index, PageWork work) {
  Device& device = devices[index];
  ::CountPage(&device.pages, work);
  const auto now = std::chrono::steady_clock::now();
  const bool last = device.pages.written >= device.pages.toWrite &&
                    device.pages.verified >= device.pages.toVerify;
  if (!last && now - device.lastProgress < progressInterval) return;
  device.lastProgress = now;
  events.Progress(ports[index], device.pages, SecondsSince(device.started));
}

void StationJsonView::Finished(int index, const JobResult& result) {
  events.End(jobs[index], result);
}

void StationJsonView::End(const std::vector<JobResult>& results) {
  if (results.size() < 2) return;  // one device's end says it all
  std::vector<int> statuses;
  for (const JobResult& result : results) statuses.push_back(result.status);
  events.Summary(results, StationExitStatus(statuses));
}
