// The layout of a station's live row: port, progress bar, percentage,
// seconds, then the device's latest log line, all within the terminal's
// width. Layout only; station_view_rows draws it.
#pragma once

#include <string>

#include "cli/progress_text.h"

struct StationRow {
  std::string port;  // printable
  PageProgress pages;
  int seconds = 0;
  std::string latest;  // the latest log line, without its colour prefix
};

// The row in two parts, so that the log line can have its colour: together
// they take at most `columns`.
struct RowText {
  std::string lead;    // "ttyUSB3  [######......]  52 %   12 с  "
  std::string latest;  // what is left of the log line
};

// `portColumns`: the width the ports are padded to, the same in every row.
RowText LayOutRow(const StationRow& row, int portColumns, int columns);

// Beyond this the port column takes room from the log line; longer names
// are shown by PortLabels.
constexpr int longestPortShown = 24;

// The port column for these names: the longest, within reason.
int PortColumns(int longestPort);
