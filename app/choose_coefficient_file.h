// Lets the operator pick a "*.koeff" file in the program's own dialog and
// reads it; on success coefficientsLoaded is set, a refused file is logged in
// red with its reason (Cancel says nothing). Runs on the GUI thread and
// returns when the dialog has been closed.
#pragma once

#include <string>

#include "chooser/file_dialog.h"

void ChooseCoefficientFile();

// The dialog itself ("*.koeff", a new name allowed, starting in the working
// directory) with `title`, its confirm button labelled `confirmLabel` (null
// keeps "Открыть"). Returns false when no name came back; else the name is
// in `path` (dialogPathSize bytes), empty after Cancel.
bool AskCoefficientFileName(const char* title, char* path, const char* confirmLabel = nullptr);
