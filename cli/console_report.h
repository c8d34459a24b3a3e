// velt-flash's view of a procedure: its log lines as the window shows them,
// and while pages move, one progress line that updates in place.
#pragma once

#include <cstdio>

struct ConsoleReportSettings {
  std::FILE* stream;  // where the lines go
  bool colour;        // red failures, blue progress
  bool progress;      // the progress line, redrawn in place
  int pagesToWrite;   // what the procedure will write ...
  int pagesToVerify;  // ... and read back, for the progress line
};

// Installs the log and page sinks of loader/report.h.
void StartConsoleReport(const ConsoleReportSettings& settings);
// Clears the progress line and removes the sinks.
void EndConsoleReport();
