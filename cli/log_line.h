// A job's log line as the window stores it: "@C1" failure (red), "@C4"
// progress (blue), then the text; how the console shows one.
#pragma once

#include <string>

enum class LineKind { plain, failure, progress };

struct LogLine {
  LineKind kind;
  const char* text;  // without the colour prefix
};

LogLine SplitLogLine(const char* line);

// The text, in its colour when `colour`.
std::string ShownLine(const LogLine& line, bool colour);

// Escapes that colour what follows, and that end it.
const char* ColourOf(LineKind kind);
extern const char plainColour[];
