#include "app/job_recording.h"

#include <cstring>

#include "app/message_log.h"
#include "app/operations.h"
#include "app/window_device.h"
#include "cli/exit_status.h"
#include "record/job_identity.h"
#include "record/record_file.h"

std::string recordPath;

namespace {

const char* const recordOption = "--record";
const char* const recordUnavailableLine = "@C1Журнал работ недоступен.";

// The Порт item's name of the chosen port: "COM1", or the discovered
// port's own name ("ttyUSB0", "COM7"), the last part of its device.
std::string ChosenPortName() {
  if (selectedPort != 0) return std::string("COM") + selectedPort;
  const size_t slash = selectedDevice.find_last_of("/\\");
  return slash == std::string::npos ? selectedDevice : selectedDevice.substr(slash + 1);
}

}  // namespace

std::string RecordPathFromArguments(int argc, const char* const* argv) {
  const size_t optionLength = std::strlen(recordOption);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], recordOption) == 0 && i + 1 < argc) return argv[i + 1];
    if (std::strncmp(argv[i], recordOption, optionLength) == 0 && argv[i][optionLength] == '=') {
      return argv[i] + optionLength + 1;
    }
  }
  return "";
}

WindowJobRecord::WindowJobRecord(const char* job, const std::string& coefficientsSha256,
                                 const std::string& coefficientsFile)
    : start(std::chrono::steady_clock::now()) {
  tallied.emplace(&windowRun.reports, &tally);
  record.startSeconds = SecondsSince1970();
  record.job = job;
  record.port = ChosenPortName();
  record.coefficientsSha256 = coefficientsSha256;
  record.coefficientsFile = coefficientsFile;
}

void WindowJobRecord::Finish(Outcome outcome) {
  record.failure = outcome == Outcome::failed ? DescribeFailure(windowRun.failure) : "";
  Finish(RecordOutcome(outcome), ExitStatusOf(outcome));
}

void WindowJobRecord::Finish(const char* outcome, int exitStatus) {
  // Once operationBusy is clear the next job may put its own sinks in.
  tallied.reset();
  if (recordPath.empty()) return;
  record.outcome = outcome;
  record.exitStatus = exitStatus;
  record.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  record.pagesWritten = tally.pagesWritten;
  record.pagesVerified = tally.pagesVerified;
  record.lastLine = tally.lastLine;
  record.station = HostName();
  record.firmwareSha256 = FirmwareSha256(firmwareTables);
  record.version = VELT_VERSION;
  RecordFile file;
  std::string reason;
  if (file.Open(recordPath, &reason) != 0 || file.Append(FormatRecordRow(record), &reason) != 0) {
    logMessage(recordUnavailableLine);
  }
}
