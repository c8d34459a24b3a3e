#include "record/job_tally.h"

#include <cstring>

namespace {

constexpr int prefixLength = 3;  // "@C1", "@C4"

}  // namespace

std::string WithoutColourPrefix(const char* line) {
  const bool prefixed = std::strncmp(line, "@C1", prefixLength) == 0 ||
                        std::strncmp(line, "@C4", prefixLength) == 0;
  return prefixed ? line + prefixLength : line;
}

TalliedReports::TalliedReports(ReportSinks* reportSinks, JobTally* tally)
    : sinks(reportSinks), before(*reportSinks) {
  const ReportSinks passOn = before;
  sinks->log = [tally, passOn](const char* line) {
    tally->lastLine = WithoutColourPrefix(line);
    if (passOn.log) passOn.log(line);
  };
  sinks->page = [tally, passOn](PageWork work, uint32_t address) {
    if (work == PageWork::written) ++tally->pagesWritten;
    else ++tally->pagesVerified;
    if (passOn.page) passOn.page(work, address);
  };
}

TalliedReports::~TalliedReports() { *sinks = before; }
