// Gives a window the program's icon; one implementation per platform.
#pragma once

#include <FL/Fl_Window.H>

void ApplyWindowIcon(Fl_Window* window);
