// The dialog's widget callbacks. Each finds its FileDialog through the user
// data of the window it sits in and ignores its own arguments otherwise.
#pragma once

class Fl_Widget;

void upCallback(Fl_Widget* widget, void*);
void rereadCallback(Fl_Widget* widget, void*);
void listCallback(Fl_Widget* widget, void*);
void nameCallback(Fl_Widget* widget, void*);
void openCallback(Fl_Widget* widget, void*);
void cancelCallback(Fl_Widget* widget, void*);
void windowCallback(Fl_Widget* widget, void*);
