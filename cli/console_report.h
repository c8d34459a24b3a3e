// velt-flash's view of one device's job: its log lines as the window shows
// them, and while pages move, one progress line that updates in place.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "cli/log_line.h"
#include "cli/progress_text.h"
#include "runner/page_progress.h"
#include "loader/report.h"

struct ConsoleReportSettings {
  std::FILE* stream;  // where the lines go
  bool colour;        // red failures, blue progress, the progress line erased by escapes
  bool progress;      // the progress line, redrawn in place
  int pagesToWrite;   // what the procedure will write ...
  int pagesToVerify;  // ... and read back, for the progress line
  bool quiet = false;  // failures as they come, the last line at the end, nothing else
  std::function<int()> columns;  // the terminal's width now; empty: 80
};

class ConsoleReporter {
 public:
  explicit ConsoleReporter(const ConsoleReportSettings& settings);

  // Points the log and page sinks at this reporter.
  void Attach(ReportSinks* sinks);
  // Clears the progress line and empties the sinks it was attached to.
  void End();

  void PrintLine(LineKind kind, const char* text);
  void CountPage(PageWork work);

 private:
  void Print(const LogLine& line);
  void EraseProgress();
  void DrawProgress();

  ConsoleReportSettings settings;
  ReportSinks* attached = nullptr;
  PageProgress pages;
  std::chrono::steady_clock::time_point started;
  int progressColumns = 0;  // of the progress line on screen; 0: none shown
  // quiet: what the job said last, and whether it is out
  LineKind lastKind = LineKind::progress;
  std::string lastLine;
  bool lastShown = true;
};
