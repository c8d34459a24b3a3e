// The job record as both front ends keep it: one row per device job, filled
// here from the job and its result, appended to the record file.
#pragma once

#include <string>

#include "record/job_record.h"
#include "record/record_file.h"
#include "runner/job.h"
#include "runner/run_job.h"

// The row of one job: when, where, what went into the device (digests of
// the job's own images) and how it ended.
JobRecord RecordOf(const Job& job, const JobResult& result);

class JobRecorder {
 public:
  // "" records nothing. 0, or -1 with the system's reason.
  int Open(const std::string& path, std::string* reason);
  // The row is on the disk when this returns 0; -1 with the reason. Safe
  // from several threads.
  int Append(const Job& job, const JobResult& result, std::string* reason);
  bool Keeps() const { return !path.empty(); }
  // Why an existing file does not look like a record of this program; "".
  const std::string& Oddity() const { return file.Oddity(); }
  const std::string& Path() const { return path; }

 private:
  std::string path;
  RecordFile file;
};
