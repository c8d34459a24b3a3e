#include "app/choose_coefficient_file.h"

#include <FL/Fl.H>

#include <cstring>

#include "chooser/file_dialog.h"
#include "chooser/file_name_order.h"
#include "coeff/coefficient_file.h"

namespace {

const char* const koeffPattern = "*.koeff";
const char* const dialogTitle = "Выберите файл с коэффициентами";

}  // namespace

void ChooseCoefficientFile() {
  FileDialog* dialog = new FileDialog(koeffPattern, MODE_CREATE, dialogTitle);
  dialog->setStartDirectory(".");
  dialog->sortFunction = compareFileNames;
  dialog->show();
  while (dialog->window->shown()) Fl::wait();

  // The name lives in the dialog's field; keep it past the dialog, which is
  // released here rather than left behind at every choice.
  char path[dialogPathSize] = "";
  const char* chosen = dialog->value();
  if (chosen != nullptr) std::strncpy(path, chosen, sizeof path - 1);
  delete dialog->window;
  delete dialog;

  if (chosen == nullptr) return;
  if (ReadCoefficientFile(path) == coefficientFileOk) coefficientsLoaded = 1;
}
