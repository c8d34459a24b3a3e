#include "cli/station_view_lines.h"

#include "cli/log_line.h"
#include "cli/station_summary.h"
#include "link/printable_text.h"

StationLineView::StationLineView(const std::vector<DevicePort>& ports,
                                 const LineViewSettings& newSettings)
    : settings(newSettings) {
  for (const DevicePort& port : ports) prefixes.push_back(PrintableText(port.given) + ": ");
}

DeviceReports StationLineView::ReportsFor(int index) {
  DeviceReports reports;
  reports.log = [this, index](LineKind kind, const char* text) { Log(index, kind, text); };
  reports.error = [this, index](const std::string& line) { Write(settings.errors, index, line); };
  if (!settings.quiet || settings.trace) reports.trace = reports.error;
  if (settings.trace) reports.frames = reports.error;
  return reports;
}

void StationLineView::Log(int index, LineKind kind, const char* text) {
  if (settings.quiet && kind != LineKind::failure) return;
  Write(settings.out, index, ShownLine({kind, text}, settings.colour));
}

// One write per line, flushed at once, under the lock that both streams
// share: they may well be one pipe (2>&1).
void StationLineView::Write(std::FILE* stream, int index, const std::string& text) {
  const std::string line = prefixes[index] + text + "\n";
  std::lock_guard<std::mutex> hold(output);
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fflush(stream);
}

void StationLineView::End(const std::vector<JobResult>& results) {
  std::lock_guard<std::mutex> hold(output);
  PrintSummary(results, settings.colour, settings.out);
}
