// A station's output on a terminal: one row per device that is redrawn in
// place (port, progress bar, percentage, seconds, latest log line), fitted
// to the terminal's width and height, so that nothing scrolls away. What the
// devices say on stderr waits below the rows until the end when stderr is
// the terminal too; then comes the summary.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "cli/log_line.h"
#include "cli/station.h"
#include "cli/station_rows.h"
#include "cli/terminal.h"

struct RowViewSettings {
  std::FILE* out;  // the terminal
  std::FILE* errors;
  bool errorsToTerminal;  // `errors` is the terminal too: hold its lines
  bool trace;             // frames on `errors`, which is then not the terminal
  PageProgress totals;    // the pages each device's job moves
};

class StationRowView final : public StationView {
 public:
  StationRowView(const std::vector<DevicePort>& ports, const RowViewSettings& settings);

  DeviceReports ReportsFor(int index) override;
  void Finished(int index, const JobResult& result) override;
  void Tick() override;
  void End(const std::vector<JobResult>& results) override;

 private:
  struct Device {
    StationRow row;
    LineKind kind = LineKind::progress;  // of the latest line
    bool finished = false;
    std::vector<std::string> held;  // stderr lines for after the rows
  };

  void Log(int index, LineKind kind, const char* text);
  void CountPage(int index, PageWork work);
  void Say(int index, const std::string& line);
  int SecondsSinceStart() const;
  void Draw();  // with the output lock held
  std::string HiddenRow(int firstHidden, int columns) const;

  RowViewSettings settings;
  TerminalWidth width;
  std::vector<Device> devices;
  std::vector<std::string> prefixes;  // "ttyUSB3: ", for the lines after the rows
  int portColumns = 0;
  std::chrono::steady_clock::time_point started;
  std::mutex output;
  int drawnRows = 0;
  int drawnSecond = -1;
  bool changed = true;
};
