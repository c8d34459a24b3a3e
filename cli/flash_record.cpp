#include "cli/flash_record.h"

#include <chrono>
#include <cstdio>

#include "cli/exit_status.h"
#include "coeff/coefficient_file.h"
#include "link/printable_text.h"
#include "firmware/firmware_images.h"
#include "record/job_identity.h"

RecordedRun RecordedRunOf(const FlashArguments& arguments, bool coefficientsRead) {
  RecordedRun run;
  run.station = HostName();
  run.firmwareSha256 = FirmwareSha256(BuiltInFirmwareTables());
  run.version = VELT_VERSION;
  if (arguments.job == FlashJob::write) {
    run.coefficientsFile = arguments.file;
    if (coefficientsRead) {
      run.coefficientsSha256 = CoefficientsSha256(coefficientTable, coefficientBase);
    }
  } else if (arguments.job == FlashJob::reset) {
    run.coefficientsSha256 = CoefficientsSha256(*BuiltInFirmwareTables()[0], firmwareBase);
  }
  return run;
}

JobRecord RecordOf(const DeviceResult& result, const RecordedRun& run) {
  JobRecord record;
  record.startSeconds =
      std::chrono::duration_cast<std::chrono::seconds>(result.started.time_since_epoch()).count();
  record.station = run.station;
  record.port = result.port;
  record.job = FlashJobName(result.job);
  record.outcome = OutcomeName(result.outcome);
  record.exitStatus = result.status;
  record.seconds = result.seconds;
  record.pagesWritten = result.pagesWritten;
  record.pagesVerified = result.pagesVerified;
  record.firmwareSha256 = run.firmwareSha256;
  record.coefficientsFile = run.coefficientsFile;
  record.coefficientsSha256 = run.coefficientsSha256;
  record.version = run.version;
  record.lastLine = result.lastLine;
  record.failure = result.failure;
  return record;
}

std::string FlashRecord::Unavailable(const std::string& reason) const {
  return "velt-flash: журнал работ недоступен: " + PrintableText(path) + ": " + reason;
}

int FlashRecord::Open(const std::string& recordPath) {
  path = recordPath;
  if (path.empty()) return 0;
  std::string reason;
  if (file.Open(path, &reason) == 0) {
    // The rows are the user's: say it once, and append all the same.
    if (!file.Oddity().empty()) {
      std::fprintf(stderr, "velt-flash: %s не похож на журнал работ (%s); строки дописываются\n",
                   PrintableText(path).c_str(), file.Oddity().c_str());
    }
    return 0;
  }
  std::fprintf(stderr, "%s\n", Unavailable(reason).c_str());
  return exitRecordUnavailable;
}

int FlashRecord::Append(const DeviceResult& result,
                        const std::function<void(const std::string&)>& say) {
  if (path.empty()) return result.status;
  std::string reason;
  if (file.Append(FormatRecordRow(RecordOf(result, recorded)), &reason) == 0) return result.status;
  say(Unavailable(reason));
  return exitRecordUnavailable;
}
