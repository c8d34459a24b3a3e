// Widths of text in the log's font, measured once on the GUI thread, so that
// a worker can split its lines too: the toolkit measures text only where it
// draws (on Windows through the window's device context).
#pragma once

#include <string>

// GUI thread, before any worker starts: measures the characters the log's
// texts are written in (Latin, Cyrillic, the usual punctuation).
void MeasureLogFont(int font, int size);

// Width in pixels of UTF-8 text as the log draws it. A character that was
// not measured counts as the widest one, so a text is never narrower here
// than on the screen.
int LogTextWidth(const std::string& text);
