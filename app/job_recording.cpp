#include "app/job_recording.h"

#include <cstring>

#include "app/message_log.h"
#include "runner/job_recorder.h"

std::string recordPath;

namespace {

const char* const recordOption = "--record";
const char* const recordUnavailableLine = "@C1Журнал работ недоступен.";

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

void RecordWindowJob(const Job& job, const JobResult& result) {
  if (recordPath.empty()) return;
  JobRecorder recorder;
  std::string reason;
  if (recorder.Open(recordPath, &reason) != 0 || recorder.Append(job, result, &reason) != 0) {
    logMessage(recordUnavailableLine);
  }
}
