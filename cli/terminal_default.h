// What drawing assumes of a terminal: its size when it does not tell, and
// the column it leaves alone.
#pragma once

#include "cli/terminal.h"

constexpr int defaultTerminalColumns = 80;
constexpr int defaultTerminalRows = 24;

// A line that reaches the last column wraps on some terminals, and what
// wrapped stays on the screen when the line is redrawn: that column stays free.
constexpr int keptFreeColumns = 1;

inline TerminalSize WithDefaults(TerminalSize size) {
  if (size.columns <= 0) size.columns = defaultTerminalColumns;
  if (size.rows <= 0) size.rows = defaultTerminalRows;
  return size;
}
