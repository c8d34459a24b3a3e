#include "app/save_coefficients.h"

#include <cstring>
#include <string>

#include "app/choose_coefficient_file.h"
#include "app/job_recording.h"
#include "app/message_log.h"
#include "app/operations.h"
#include "app/question_window.h"
#include "app/window_device.h"
#include "cli/exit_status.h"
#include "coeff/coefficient_saving.h"
#include "coeff/file_output.h"
#include "link/printable_text.h"
#include "loader/procedures.h"

namespace {

const char* const dialogTitle = "Сохранить коэффициенты в файл";
const char* const saveButtonLabel = "Сохранить";
const char* const koeffExtension = ".koeff";
const char* const fileNotChosenLine = "@C1Файл не выбран.";
const char* const savedLine = "@C4Коэффициенты сохранены.";
const char* const notSavedLine = "@C1Коэффициенты не сохранены:";

// Written on the GUI thread before the worker starts, read by it once.
char savePath[dialogPathSize];
bool replaceFile = false;
uint8_t coefficientsRead[coefficientPagesSize];

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

void LogSaveReport(const SaveReport& report) {
  if (report.fillerNotErased) WorkerSplitLogLine(std::string("@C4Внимание: ") + fillerWarning);
  if (report.result == SaveResult::saved) {
    WorkerSplitLogLine(savedLine);
    return;
  }
  WorkerSplitLogLine(notSavedLine);
  WorkerSplitLogLine("@C1" + PrintableText(report.reason));
}

}  // namespace

ReplaceQuestion askReplaceFile = AskOperator;

void onSaveCoefficients(Fl_Widget*, void*) {
  if (BeginOperation() != 0) return;
  if (ChooseTarget() != 0) {
    operationBusy = 0;
    return;
  }
  StartWorker(saveCoefficientsWorker, WindowJob::saveCoefficients);
}

void saveCoefficientsWorker() {
  WindowJobRecord record("save-coefficients", "", savePath);
  if (OpenSelectedPort() == 0) {
    const Outcome outcome = ReadCoefficients(windowRun, coefficientsRead);
    comPort.Close();
    const bool read = outcome == Outcome::started || outcome == Outcome::startNotConfirmed;
    const SaveReport report =
        read ? SaveCoefficientFile(coefficientsRead, savePath, replaceFile) : SaveReport{};
    if (read) LogSaveReport(report);
    if (read && report.result != SaveResult::saved) {
      record.Finish(outcomeFileRejected, exitFileRejected);
    } else {
      record.Finish(outcome);
    }
  } else {
    record.Finish(outcomePortNotOpened, exitPortUnusable);
  }
  FinishOperation();
}
