#include "cli/station_view_rows.h"

#include <algorithm>

#include "cli/port_labels.h"
#include "cli/station_summary.h"
#include "cli/terminal_default.h"
#include "cli/text_columns.h"
#include "link/printable_text.h"

namespace {

constexpr char eraseLine[] = "\r\x1b[K";
constexpr char eraseBelow[] = "\x1b[J";

std::string CursorUp(int rows) { return "\r\x1b[" + std::to_string(rows) + "A"; }

}  // namespace

StationRowView::StationRowView(const std::vector<DevicePort>& ports,
                               const RowViewSettings& newSettings)
    : settings(newSettings), width(newSettings.out), started(std::chrono::steady_clock::now()) {
  std::vector<std::string> names;
  for (const DevicePort& port : ports) names.push_back(PrintableText(port.given));
  const std::vector<std::string> labels = PortLabels(names, longestPortShown);
  int longest = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    Device device;
    device.row.port = labels[i];
    device.row.pages = settings.totals;
    longest = std::max(longest, TextColumns(device.row.port));
    devices.push_back(device);
    prefixes.push_back(names[i] + ": ");  // the lines after the rows have room for the whole name
  }
  portColumns = PortColumns(longest);
}

DeviceReports StationRowView::ReportsFor(int index) {
  DeviceReports reports;
  reports.log = [this, index](LineKind kind, const char* text) { Log(index, kind, text); };
  reports.page = [this, index](PageWork work, uint32_t) { CountPage(index, work); };
  reports.error = [this, index](const std::string& line) { Say(index, line); };
  reports.trace = reports.error;
  if (settings.trace) reports.frames = reports.error;
  return reports;
}

void StationRowView::Log(int index, LineKind kind, const char* text) {
  std::lock_guard<std::mutex> hold(output);
  devices[index].row.latest = text;
  devices[index].kind = kind;
  changed = true;
}

void StationRowView::CountPage(int index, PageWork work) {
  std::lock_guard<std::mutex> hold(output);
  ::CountPage(&devices[index].row.pages, work);
  changed = true;
}

void StationRowView::Say(int index, const std::string& line) {
  std::lock_guard<std::mutex> hold(output);
  if (settings.errorsToTerminal) {
    devices[index].held.push_back(line);
    return;
  }
  const std::string whole = prefixes[index] + line + "\n";
  std::fwrite(whole.data(), 1, whole.size(), settings.errors);
  std::fflush(settings.errors);
}

void StationRowView::Finished(int index, const JobResult& result) {
  std::lock_guard<std::mutex> hold(output);
  devices[index].finished = true;
  devices[index].row.seconds = static_cast<int>(result.seconds);
  changed = true;
}

int StationRowView::SecondsSinceStart() const {
  return static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(
                              std::chrono::steady_clock::now() - started)
                              .count());
}

void StationRowView::Tick() {
  std::lock_guard<std::mutex> hold(output);
  if (changed || SecondsSinceStart() != drawnSecond) Draw();
}

// The devices that do not fit under each other, in one row.
std::string StationRowView::HiddenRow(int firstHidden, int columns) const {
  int finished = 0;
  for (std::size_t i = static_cast<std::size_t>(firstHidden); i < devices.size(); ++i) {
    finished += devices[i].finished ? 1 : 0;
  }
  const int hidden = static_cast<int>(devices.size()) - firstHidden;
  return FitColumns("ещё устройств: " + std::to_string(hidden) + ", закончили " +
                        std::to_string(finished),
                    columns);
}

// The whole picture in one write: up to the first row, each row erased and
// written anew, and whatever was below the rows before cleared.
void StationRowView::Draw() {
  const TerminalSize size = width.Size();
  const int columns = size.columns - keptFreeColumns;
  const int room = std::max(1, size.rows - 1);  // the cursor's line stays below the rows
  const int count = static_cast<int>(devices.size());
  const int shown = count <= room ? count : room - 1;
  drawnSecond = SecondsSinceStart();
  std::string frame = drawnRows > 0 ? CursorUp(drawnRows) : "";
  for (int i = 0; i < shown; ++i) {
    Device& device = devices[static_cast<std::size_t>(i)];
    if (!device.finished) device.row.seconds = drawnSecond;
    const RowText text = LayOutRow(device.row, portColumns, columns);
    frame += eraseLine + text.lead;
    frame += ShownLine({device.kind, text.latest.c_str()}, true) + "\n";
  }
  if (shown < count) frame += eraseLine + HiddenRow(shown, columns) + "\n";
  frame += eraseBelow;
  drawnRows = shown < count ? shown + 1 : shown;
  std::fwrite(frame.data(), 1, frame.size(), settings.out);
  std::fflush(settings.out);
  changed = false;
}

void StationRowView::End(const std::vector<JobResult>& results) {
  std::lock_guard<std::mutex> hold(output);
  Draw();
  for (std::size_t i = 0; i < devices.size(); ++i) {
    for (const std::string& line : devices[i].held) {
      std::fprintf(settings.errors, "%s%s\n", prefixes[i].c_str(), line.c_str());
    }
  }
  std::fflush(settings.errors);
  PrintSummary(results, true, settings.out);
}
