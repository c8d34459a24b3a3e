// Drives a shown FileDialog in-process through FLTK's own event dispatch, as
// the X server's key presses and clicks would.
#pragma once

#include <string>

class FileDialog;
class Fl_Widget;

// One key press per ASCII character (a UTF-8 sequence is one press), sent to
// the focused widget.
void typeText(FileDialog* dialog, const char* text);
// All of text in one key event, as a paste or an input method delivers it.
void insertText(FileDialog* dialog, const std::string& text);
// A key without text: FL_Enter, FL_Escape, FL_BackSpace …
void pressKey(FileDialog* dialog, int key);
// Left button pressed and released over the middle of widget.
void clickWidget(FileDialog* dialog, Fl_Widget* widget);
// Left click on a line of the list (1-based); clicks = 1 makes it the second
// click of a double click. Returns false when the line is not on screen.
bool clickLine(FileDialog* dialog, int line, int clicks);
// The list's lines in order.
std::string listedLines(FileDialog* dialog);
