// The window's coefficient file: the image the write button sends, the
// table over it, and whether a file is loaded. The window has always kept
// these as its own; its write job takes a copy of the image.
#pragma once

#include <atomic>
#include <string>

#include "coeff/coefficient_file.h"
#include "loader/page_table.h"

extern CoefficientImage coefficientImage;
// coefficientPageCount entries over coefficientImage once a file has been
// read; empty before.
extern PageTable coefficientTable;
// A file has been read and not yet used up by a write that reached the device.
extern std::atomic<int> coefficientsLoaded;
// The path of the loaded file as the dialog gave it, for the job record;
// written with the image on the GUI thread.
extern std::string loadedCoefficientFile;

// Reads the file; when it is accepted it becomes the window's image and
// coefficientsLoaded is set. ReadCoefficientFile's result and bad line.
int LoadCoefficientFile(const char* path, int* badLine = nullptr);

// The loaded file, read again, still gives the window's image: what a write
// sends is what the file holds now.
bool LoadedFileUnchanged();
