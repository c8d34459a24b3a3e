// The window's job record: started as `velt-loader --record FILE`, the
// window appends one row per job to FILE, as velt-flash does; a row that
// cannot be written is said in the log and the window carries on.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "loader/procedures.h"
#include "record/job_record.h"
#include "record/job_tally.h"

// Set once by the entry point; "" records nothing.
extern std::string recordPath;

// "--record FILE" or "--record=FILE"; every other argument is ignored, as
// the window always has. "" without one.
std::string RecordPathFromArguments(int argc, const char* const* argv);

// The record of one job of the window, kept by its worker from the start of
// the job to its end; it counts the job's pages and lines meanwhile.
class WindowJobRecord {
 public:
  // `job` as the record names it; the coefficients' digest and file for
  // the jobs that send them, else "".
  WindowJobRecord(const char* job, const std::string& coefficientsSha256,
                  const std::string& coefficientsFile);
  WindowJobRecord(const WindowJobRecord&) = delete;
  WindowJobRecord& operator=(const WindowJobRecord&) = delete;

  // The job's end, as the procedure returned it ...
  void Finish(Outcome outcome);
  // ... or with an outcome and exit status of the record's own. Either gives
  // the run context its sinks back, before the worker lets go of it.
  void Finish(const char* outcome, int exitStatus);

 private:
  JobRecord record;
  JobTally tally;
  std::optional<TalliedReports> tallied;
  std::chrono::steady_clock::time_point start;
};
