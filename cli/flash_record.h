// velt-flash --record FILE: one row per device job in the job record,
// appended and on the disk before the device's status is reported. The
// file is opened before any port, so a record that cannot be kept stops
// the run before anything is sent.
#pragma once

#include <functional>
#include <string>

#include "cli/device_result.h"
#include "cli/flash_arguments.h"
#include "record/job_record.h"
#include "record/record_file.h"

// What every device's row of one run has in common.
struct RecordedRun {
  std::string station;
  std::string firmwareSha256;
  std::string coefficientsFile;    // write: the path as given
  std::string coefficientsSha256;  // write and reset: of the 128 bytes sent
  std::string version;
};

// `coefficientsRead`: the write's file was read, so its digest is known.
RecordedRun RecordedRunOf(const FlashArguments& arguments, bool coefficientsRead);

JobRecord RecordOf(const DeviceResult& result, const RecordedRun& run);

class FlashRecord {
 public:
  // "" records nothing. Returns 0, or exitRecordUnavailable after saying
  // why on stderr.
  int Open(const std::string& path);
  void Describe(const RecordedRun& run) { recorded = run; }
  // The status the device ends with: its own, or exitRecordUnavailable when
  // its row could not be written (then said through `say`). Safe from
  // several threads.
  int Append(const DeviceResult& result, const std::function<void(const std::string&)>& say);

 private:
  std::string Unavailable(const std::string& reason) const;

  std::string path;
  RecordFile file;
  RecordedRun recorded;
};
