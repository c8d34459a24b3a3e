#include "runner/job_tally.h"

TalliedReports::TalliedReports(ReportSinks* reportSinks, JobTally* tally)
    : sinks(reportSinks), before(*reportSinks) {
  const ReportSinks passOn = before;
  sinks->log = [tally, passOn](LineKind kind, const char* text) {
    tally->lastLine = text;
    if (passOn.log) passOn.log(kind, text);
  };
  sinks->page = [tally, passOn](PageWork work, uint32_t address) {
    if (work == PageWork::written) ++tally->pagesWritten;
    else ++tally->pagesVerified;
    if (passOn.page) passOn.page(work, address);
  };
}

TalliedReports::~TalliedReports() { *sinks = before; }
