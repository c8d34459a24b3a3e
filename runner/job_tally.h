// What a job did, counted from its reports as they go by, for its record:
// the pages written and verified and the last log line.
#pragma once

#include <string>

#include "loader/report.h"

struct JobTally {
  int pagesWritten = 0;
  int pagesVerified = 0;
  std::string lastLine;
};

// While it lives, the sinks count into the tally before passing each report
// on to the sinks that were there; they are put back when it goes.
class TalliedReports {
 public:
  TalliedReports(ReportSinks* sinks, JobTally* tally);
  ~TalliedReports();
  TalliedReports(const TalliedReports&) = delete;
  TalliedReports& operator=(const TalliedReports&) = delete;

 private:
  ReportSinks* sinks;
  ReportSinks before;
};
