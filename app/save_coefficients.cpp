#include "app/save_coefficients.h"

#include <cstring>
#include <string>

#include "app/choose_coefficient_file.h"
#include "app/job_recording.h"
#include "app/message_log.h"
#include "app/operations.h"
#include "app/question_window.h"
#include "app/window_device.h"
#include "coeff/coefficient_saving.h"
#include "coeff/file_output.h"
#include "link/printable_text.h"
#include "runner/exit_status.h"

namespace {

const char* const dialogTitle = "Сохранить коэффициенты в файл";
const char* const saveButtonLabel = "Сохранить";
const char* const koeffExtension = ".koeff";
const char* const fileNotChosenLine = "@C1Файл не выбран.";
const char* const savedLine = "@C4Коэффициенты сохранены.";
const char* const notSavedLine = "@C1Коэффициенты не сохранены:";
constexpr int colourPrefixLength = 3;  // "@C1", "@C4"

// Written on the GUI thread before the worker starts, read by it once.
char savePath[dialogPathSize];
bool replaceFile = false;

// Replacing is what cannot be undone, so "Нет" is the default here too.
int AskOperator(const char* path) {
  const std::string text = "Файл " + PrintableText(path) + " уже есть.\nЗаменить его?";
  return AskQuestion("Сохранить коэффициенты", text.c_str());
}

// A name typed without any extension gets ".koeff", as the dialog lists only those.
void AddExtension(char* path) {
  const char* name = std::strrchr(path, '/');
  name = name == nullptr ? path : name + 1;
  if (std::strchr(name, '.') != nullptr) return;
  if (std::strlen(path) + std::strlen(koeffExtension) < size_t(dialogPathSize)) {
    std::strcat(path, koeffExtension);
  }
}

// A folder is never replaced, whatever the operator would answer.
bool RefusedAsFolder(const char* path) {
  if (!IsFolder(path)) return false;
  AppendSplitLogLine(notSavedLine);
  AppendSplitLogLine("@C1" + PrintableText(FolderReason(path)));
  return true;
}

// Cancel, no name, a folder, or no replacing: -1 after the lines that say so.
int ChooseTarget() {
  if (!AskCoefficientFileName(dialogTitle, savePath, saveButtonLabel) || savePath[0] == '\0') {
    AppendLogLine(fileNotChosenLine);
    return -1;
  }
  if (RefusedAsFolder(savePath)) return -1;
  AddExtension(savePath);
  if (RefusedAsFolder(savePath)) return -1;
  replaceFile = false;
  if (PathExists(savePath)) {
    if (askReplaceFile(savePath) != 1) {
      AppendSplitLogLine("@C1Файл " + PrintableText(savePath) + " уже есть, не заменён.");
      return -1;
    }
    replaceFile = true;
  }
  return 0;
}

// Logs the save's lines; returns the last, without its colour, for the record.
std::string LogSaveReport(const SaveReport& report) {
  if (report.fillerNotErased) WorkerSplitLogLine(std::string("@C4Внимание: ") + fillerWarning);
  if (report.result == SaveResult::saved) {
    WorkerSplitLogLine(savedLine);
    return savedLine + colourPrefixLength;
  }
  WorkerSplitLogLine(notSavedLine);
  const std::string reason = PrintableText(report.reason);
  WorkerSplitLogLine("@C1" + reason);
  return reason;
}

}  // namespace

ReplaceQuestion askReplaceFile = AskOperator;

void onSaveCoefficients(Fl_Widget*, void*) {
  if (BeginOperation() != 0) return;
  if (ChooseTarget() != 0) {
    operationBusy = 0;
    return;
  }
  Job job = WindowJobFor(JobKind::saveCoefficients);
  job.coefficientsFile = savePath;
  StartWorker(saveCoefficientsWorker, job);
}

void saveCoefficientsWorker() {
  JobResult result = RunWindowJob(pendingJob);
  const bool read = result.outcome == JobOutcome::started ||
                    result.outcome == JobOutcome::startNotConfirmed;
  if (read) {
    const SaveReport report = SaveCoefficientFile(result.read.data(), savePath, replaceFile);
    result.lastLine = LogSaveReport(report);
    if (report.result != SaveResult::saved) {
      result.outcome = JobOutcome::fileRejected;
      result.status = ExitStatusOf(result.outcome);
    }
  }
  RecordWindowJob(pendingJob, result);
  FinishOperation();
}
