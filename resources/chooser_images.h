// The file dialog's two 20 x 20 button pictures: a folder with an arrow up
// (Up) and two curved arrows (Reread). Built at start, released at exit.
#pragma once

#include <FL/Fl_Pixmap.H>

extern Fl_Pixmap folderUpImage;
extern Fl_Pixmap rereadImage;
