// What velt-flash adds around the two jobs that only read the device:
// verify's list of differing pages, save-coefficients' file and
// read-firmware's set.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "cli/flash_arguments.h"
#include "loader/procedures.h"
#include "runner/run_job.h"

// Lines of differing pages printed at most; the rest are only counted. A
// wrong firmware differs on nearly all of its 149 pages.
constexpr int differenceLinesShown = 20;

// Before the port is opened: save-coefficients refuses a folder, and a file
// that exists unless --force. Returns 0 to go on, or the exit status.
int CheckSaveTarget(const FlashArguments& arguments);

// Before the port is opened: read-firmware refuses a file, and a folder
// that is not empty unless --force. Returns 0 to go on, or the exit status.
int CheckReadOutTarget(const FlashArguments& arguments);

// Collects the pages that differ while verify runs ...
class DifferenceReport {
 public:
  // Points the difference sink at this report.
  void Attach(ReportSinks* sinks);
  // ... and tells them, a line each, once the progress line is gone.
  void Print(const std::function<void(const std::string& line)>& say) const;

 private:
  std::vector<PageDifference> shown;
  int differingPages = 0;
};

// After save-coefficients' reading: writes the file when the pages were
// read; a file that could not be written ends the job as fileRejected. What
// is said goes to `out` (the file saved) and `errors` (a warning, why not).
void ReportSave(const FlashArguments& arguments, JobResult& result,
                const std::function<void(const std::string& line)>& out,
                const std::function<void(const std::string& line)>& errors);

// After read-firmware's reading: writes the set when every page was read,
// with release.txt naming the port, the time and the digest; a set that
// could not be written ends the job as fileRejected. Said as ReportSave says.
void ReportReadOut(const FlashArguments& arguments, JobResult& result,
                   const std::function<void(const std::string& line)>& out,
                   const std::function<void(const std::string& line)>& errors);
