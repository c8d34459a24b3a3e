// velt-flash's view of one device's job: its log lines as the window shows
// them, and while pages move, one progress line that updates in place.
#pragma once

#include <cstdio>

#include "loader/report.h"

struct ConsoleReportSettings {
  std::FILE* stream;  // where the lines go
  bool colour;        // red failures, blue progress
  bool progress;      // the progress line, redrawn in place
  int pagesToWrite;   // what the procedure will write ...
  int pagesToVerify;  // ... and read back, for the progress line
};

class ConsoleReporter {
 public:
  explicit ConsoleReporter(const ConsoleReportSettings& settings);

  // Points the log and page sinks at this reporter.
  void Attach(ReportSinks* sinks);
  // Clears the progress line and empties the sinks it was attached to.
  void End();

  void PrintLine(const char* line);
  void CountPage(PageWork work);

 private:
  void EraseProgress();
  void DrawProgress();

  ConsoleReportSettings settings;
  ReportSinks* attached = nullptr;
  int pagesWritten = 0;
  int pagesVerified = 0;
  bool progressShown = false;
};
