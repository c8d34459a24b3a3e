#include "cli/station_summary.h"

#include "runner/exit_status.h"
#include "cli/log_line.h"
#include "link/printable_text.h"

namespace {

constexpr int secondsSize = 32;

}  // namespace

std::string SummaryLine(const JobResult& result) {
  char seconds[secondsSize];
  std::snprintf(seconds, sizeof seconds, "%.1f", result.seconds);
  return PrintableText(result.port) + ": итог: " + OutcomeWords(result.outcome) + ", код " +
         std::to_string(result.status) + ", " + seconds + " с";
}

void PrintSummary(const std::vector<JobResult>& results, bool colour, std::FILE* stream) {
  for (const JobResult& result : results) {
    const LineKind kind = result.status == exitStarted ? LineKind::progress : LineKind::failure;
    const std::string line = SummaryLine(result);
    std::fprintf(stream, "%s\n", ShownLine({kind, line.c_str()}, colour).c_str());
  }
  std::fflush(stream);
}
