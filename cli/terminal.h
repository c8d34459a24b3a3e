// The little velt-flash needs to know about the console it prints to.
#pragma once

#include <cstdio>

// The stream goes to an interactive terminal (colours and an updating
// progress line make sense), not to a file or a pipe.
bool IsTerminal(std::FILE* stream);

// Lets the console show the UTF-8 texts and colour codes; once, at start.
void PrepareConsole();

struct TerminalSize {
  int columns = 0;  // 0: not known
  int rows = 0;
};

// What the terminal behind `stream` measures now.
TerminalSize MeasureTerminal(std::FILE* stream);

// The terminal's size as drawing needs it, measured once and again only
// after a resize: on POSIX a SIGWINCH says so; Windows sends no such signal,
// so there the console is measured at every call. One at a time.
class TerminalWidth {
 public:
  explicit TerminalWidth(std::FILE* stream);
  ~TerminalWidth();
  TerminalWidth(const TerminalWidth&) = delete;
  TerminalWidth& operator=(const TerminalWidth&) = delete;

  // Never 0: a terminal that does not say is taken as 80 by 24.
  TerminalSize Size();

 private:
  std::FILE* stream;
  TerminalSize size;
  bool measured = false;
};
