// Leaving the program: the Выход item, Ctrl+X, the exit button and the main
// window's close box. While an operation runs the operator is asked first,
// and the port is closed only after the worker has let go of it.
#pragma once

#include <FL/Fl_Widget.H>

// How the process finally ends; tests put a recorder here.
using ExitFunction = void (*)(int status);
extern ExitFunction programExit;

// Asks whether to stop the running operation and leave; returns 1 for yes.
// Tests answer in place of the operator.
using StopQuestion = int (*)();
extern StopQuestion askStopAndExit;

// Callback of "Выход" and of exitButton: closes the port and exits with 0.
void exitProgram(Fl_Widget*, void*);

// Callback of the main window (close box, Escape): hides it and the About
// window, so the event loop ends.
void closeMainWindow(Fl_Widget*, void*);
