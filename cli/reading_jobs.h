// What velt-flash adds around the two jobs that only read the device:
// verify's list of differing pages, and save-coefficients' file.
#pragma once

#include "cli/flash_arguments.h"
#include "loader/procedures.h"

// Lines of differing pages printed at most; the rest are only counted. A
// wrong firmware differs on nearly all of its 149 pages.
constexpr int differenceLinesShown = 20;

// Before the port is opened: save-coefficients refuses a folder, and a file
// that exists unless --force. Returns 0 to go on, or the exit status.
int CheckSaveTarget(const FlashArguments& arguments);

// Collects differing pages while verify runs (installs the loader's sink) ...
void StartDifferenceReport();
// ... and prints them on stderr once the progress line is gone.
void EndDifferenceReport();

// The buffer the coefficient pages are read into.
uint8_t* CoefficientsRead();

// After save-coefficients' reading: writes the file when the pages were read.
// Returns the exit status.
int FinishSave(const FlashArguments& arguments, Outcome outcome);
