#include "app/choose_coefficient_file.h"

#include <FL/Fl.H>

#include <cstring>

#include "chooser/file_name_order.h"
#include "coeff/coefficient_file.h"

namespace {

const char* const koeffPattern = "*.koeff";
const char* const dialogTitle = "Выберите файл с коэффициентами";

}  // namespace

bool AskCoefficientFileName(const char* title, char* path) {
  FileDialog* dialog = new FileDialog(koeffPattern, MODE_CREATE, title);
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
  if (ReadCoefficientFile(path) == coefficientFileOk) coefficientsLoaded = 1;
}
