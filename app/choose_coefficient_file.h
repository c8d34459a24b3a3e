// Lets the operator pick a "*.koeff" file in the program's own dialog and
// reads it; on success coefficientsLoaded is set. Runs on the GUI thread and
// returns when the dialog has been closed.
#pragma once

void ChooseCoefficientFile();
