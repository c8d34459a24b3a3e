// Lets the operator pick a "*.koeff" file in the program's own dialog and
// reads it; on success coefficientsLoaded is set, a refused file is logged in
// red with its reason (Cancel says nothing). Runs on the GUI thread and
// returns when the dialog has been closed.
#pragma once

void ChooseCoefficientFile();
