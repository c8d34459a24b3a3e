// velt-flash --record FILE: one row per device job in the job record,
// appended and on the disk before the device's status is reported. The
// file is opened before any port, so a record that cannot be kept stops
// the run before anything is sent.
#pragma once

#include <functional>
#include <string>

#include "runner/job_recorder.h"

class FlashRecord {
 public:
  // "" records nothing. Returns 0, or exitRecordUnavailable after saying
  // why on stderr.
  int Open(const std::string& path);
  // The status the device ends with: its own, or exitRecordUnavailable when
  // its row could not be written (then said through `say`). Safe from
  // several threads.
  int Append(const Job& job, const JobResult& result,
             const std::function<void(const std::string&)>& say);

 private:
  std::string Unavailable(const std::string& reason) const;

  JobRecorder recorder;
};
