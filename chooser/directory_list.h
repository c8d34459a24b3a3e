// Filling the dialog's list with one directory, in the order it is shown.
#pragma once

#include <FL/Fl_File_Browser.H>
#include <FL/filename.H>

// Loads `directory` into `list` (subdirectories first, then the files its
// filter passes) and orders the subdirectories by `sort` as they are shown,
// with their trailing '/'. FLTK's scan sorts the bare names before it adds
// the '/', which puts "d/" ahead of "d 2/", "d.old/" and "d-x/".
void loadDirectoryList(Fl_File_Browser* list, const char* directory, Fl_File_Sort_F* sort);
