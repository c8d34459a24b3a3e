// "Сохранить коэффициенты..." in the Файл menu: asks for a file name, reads
// controller 1's coefficients on a worker thread like the three buttons, and
// writes them as a coefficient file. The loaded file and coefficientsLoaded
// are left alone.
#pragma once

#include <FL/Fl_Widget.H>

// Asks whether to replace the existing file `path`; 1 for yes. Tests answer
// in place of the operator.
using ReplaceQuestion = int (*)(const char* path);
extern ReplaceQuestion askReplaceFile;

void onSaveCoefficients(Fl_Widget*, void*);
void saveCoefficientsWorker();
