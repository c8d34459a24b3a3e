// How the console shows a job's log line: failures in red, progress in
// blue, when colour is on.
#pragma once

#include <string>

#include "loader/report.h"

struct LogLine {
  LineKind kind;
  const char* text;
};

// The text, in its colour when `colour`.
std::string ShownLine(const LogLine& line, bool colour);

// Escapes that colour what follows, and that end it.
const char* ColourOf(LineKind kind);
extern const char plainColour[];
