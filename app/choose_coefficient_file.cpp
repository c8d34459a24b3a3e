#include "app/choose_coefficient_file.h"

#include <FL/Fl.H>
#include <FL/Fl_Return_Button.H>

#include <cstring>
#include <string>

#include "app/message_log.h"
#include "app/window_coefficients.h"
#include "chooser/file_name_order.h"
#include "coeff/coefficient_file.h"
#include "coeff/rejection_reason.h"

namespace {

const char* const koeffPattern = "*.koeff";
const char* const dialogTitle = "Выберите файл с коэффициентами";
const char* const earlierFileKeptLine = "@C1Загружен прежний файл.";

// A refused file is named with its reason, so that the operator does not take
// a silent chooser for a loaded file; Cancel (the empty name) stays silent.
void ReportRefusal(const char* path, int result, int badLine) {
  if (path[0] == '\0') return;
  const std::string line =
      "@C1Файл не принят: " + CoefficientFileProblem(result, badLine) + ".";
  AppendSplitLogLine(line);
  if (coefficientsLoaded) AppendSplitLogLine(earlierFileKeptLine);
}

}  // namespace

bool AskCoefficientFileName(const char* title, char* path, const char* confirmLabel) {
  FileDialog* dialog = new FileDialog(koeffPattern, MODE_CREATE, title);
  if (confirmLabel != nullptr) dialog->openButton->label(confirmLabel);
  dialog->setStartDirectory(".");
  dialog->sortFunction = compareFileNames;
  dialog->show();
  while (dialog->window->shown()) Fl::wait();

  // The name lives in the dialog's field; keep it past the dialog, which is
  // released here rather than left behind at every choice.
  path[0] = '\0';
  const char* chosen = dialog->value();
  if (chosen != nullptr) std::strncpy(path, chosen, dialogPathSize - 1);
  path[dialogPathSize - 1] = '\0';
  delete dialog->window;
  delete dialog;
  return chosen != nullptr;
}

void ChooseCoefficientFile() {
  char path[dialogPathSize];
  if (!AskCoefficientFileName(dialogTitle, path)) return;
  int badLine = 0;
  const int result = LoadCoefficientFile(path, &badLine);
  if (result != coefficientFileOk) ReportRefusal(path, result, badLine);
}
