// How a job reports: log lines, each a progress or a failure, page
// progress, pages that read back different, and the one trace line, each to
// a sink the front end puts in the job's run context (loader/run_context.h).
// An empty sink drops what it would get. How a line looks (the window's
// colours, the console's, the record's last_line) is the front end's.
#pragma once

#include <cstdint>
#include <functional>

enum class PageWork { written, verified };

// The window shows progress in blue and failures in red.
enum class LineKind { progress, failure };

// One page that read back different from the built-in image.
struct PageDifference {
  int controller;      // 1..3
  uint32_t address;    // of the page
  int differingBytes;  // of its 64
  int firstOffset;     // of the first differing byte within the page
  uint8_t expected;    // the image's byte there
  uint8_t found;       // the device's
};

struct ReportSinks {
  std::function<void(LineKind kind, const char* text)> log;
  std::function<void(PageWork work, uint32_t address)> page;
  std::function<void(const PageDifference& difference)> difference;
  // The firmware load's trace line ("cm.Sync() 3"), meant for the standard
  // error stream: that is where it goes unless a front end says otherwise.
  std::function<void(const char* line)> trace;
};

// Writes the line and a newline to stderr.
void TraceToStandardError(const char* line);
