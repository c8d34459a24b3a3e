#include "loader/report.h"

#include <atomic>

namespace {

// Installed once by the front end before any worker runs; read by workers.
std::atomic<LogSink> logSink{nullptr};
std::atomic<PageSink> pageSink{nullptr};

}  // namespace

void SetLogSink(LogSink sink) { logSink = sink; }
void SetPageSink(PageSink sink) { pageSink = sink; }

void logMessage(const char* line) {
  if (LogSink sink = logSink) sink(line);
}

void ReportPage(PageWork work, uint32_t address) {
  if (PageSink sink = pageSink) sink(work, address);
}
