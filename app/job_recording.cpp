#include "app/job_recording.h"

#include <atomic>
#include <mutex>

#include "app/message_log.h"
#include "app/program_options.h"
#include "link/printable_text.h"
#include "runner/job_recorder.h"

std::string recordPath;

namespace {

const char* const recordOption = "--record";
const char* const recordUnavailableLine = "@C1Журнал работ недоступен.";
const char* const recordWithoutFileLine = "@C1Журнал работ не ведётся: после --record нет файла.";

// Open from the start, so that a record that cannot be kept is said before
// any job; opened again when the path has changed or the last open failed.
JobRecorder recorder;
bool recorderOpen = false;
std::mutex recorderLock;
std::atomic<int> lostRows{0};

// 0, or -1 with the reason. Under recorderLock.
int EnsureOpen(std::string* reason) {
  if (recorderOpen && recorder.Path() == recordPath) return 0;
  recorderOpen = recorder.Open(recordPath, reason) == 0;
  return recorderOpen ? 0 : -1;
}

// The two lines that say why: the window's own, then the file and reason.
std::string ReasonLine(const std::string& reason) {
  return "@C1" + PrintableText(recordPath) + ": " + reason;
}

}  // namespace

std::optional<std::string> RecordPathFromArguments(int argc, const char* const* argv) {
  return OptionValue(argc, argv, recordOption);
}

void OpenWindowRecord(const std::optional<std::string>& path) {
  recordPath = path.value_or("");
  if (path && path->empty()) {
    AppendSplitLogLine(recordWithoutFileLine);
    return;
  }
  if (recordPath.empty()) return;
  std::lock_guard<std::mutex> hold(recorderLock);
  std::string reason;
  if (EnsureOpen(&reason) == 0) return;
  AppendLogLine(recordUnavailableLine);
  AppendSplitLogLine(ReasonLine(reason));
}

void RecordWindowJob(const Job& job, const JobResult& result) {
  if (recordPath.empty()) return;
  std::string reason;
  int written = -1;
  {
    std::lock_guard<std::mutex> hold(recorderLock);
    written = EnsureOpen(&reason) == 0 ? recorder.Append(job, result, &reason) : -1;
  }
  if (written == 0) return;
  ++lostRows;
  logMessage(recordUnavailableLine);
  WorkerSplitLogLine(ReasonLine(reason));
}

int LostRowCount() { return lostRows; }
