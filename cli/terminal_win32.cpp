#include "cli/terminal.h"

#include <io.h>
#include <windows.h>

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

void PrepareConsole() {
  SetConsoleOutputCP(CP_UTF8);
  const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(console, &mode)) {
    SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  }
}
