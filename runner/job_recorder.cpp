#include "runner/job_recorder.h"

#include "runner/job_identity.h"

namespace {

// The coefficients the job sends: the file's image, or the reset's built-in
// defaults; "" for the jobs that send none or a write whose file was never read.
std::string CoefficientsDigest(const Job& job) {
  if (job.kind == JobKind::write && job.coefficients) return CoefficientsSha256(*job.coefficients);
  if (job.kind == JobKind::reset) return CoefficientsSha256(*job.firmware[0], firmwareBase);
  return "";
}

}  // namespace

JobRecord RecordOf(const Job& job, const JobResult& result) {
  JobRecord record;
  record.startSeconds =
      std::chrono::duration_cast<std::chrono::seconds>(result.started.time_since_epoch()).count();
  record.station = HostName();
  record.port = result.port;
  record.job = JobKindName(job.kind);
  record.outcome = OutcomeName(result.outcome);
  record.exitStatus = result.status;
  record.seconds = result.seconds;
  record.pagesWritten = result.pagesWritten;
  record.pagesVerified = result.pagesVerified;
  // A read-out's identity is what it found, not the images it was given.
  record.firmwareSha256 = job.kind != JobKind::readFirmware ? FirmwareSha256(job.firmware)
                          : result.firmwareRead ? result.firmwareRead->sha256
                                                : "";
  record.coefficientsFile = job.coefficientsFile;
  record.coefficientsSha256 = CoefficientsDigest(job);
  record.version = VELT_VERSION;
  record.lastLine = result.lastLine;
  record.failure = result.failure;
  record.firmwareRelease = job.firmwareRelease;
  return record;
}

int JobRecorder::Open(const std::string& recordPath, std::string* reason) {
  path = recordPath;
  if (path.empty()) return 0;
  return file.Open(path, reason);
}

int JobRecorder::Append(const Job& job, const JobResult& result, std::string* reason) {
  if (path.empty()) return 0;
  return file.Append(FormatRecordRow(RecordOf(job, result)), reason);
}
