#include "cli/terminal.h"

#include <io.h>
#include <windows.h>

#include "cli/terminal_default.h"

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

void PrepareConsole() {
  SetConsoleOutputCP(CP_UTF8);
  const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(console, &mode)) {
    SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  }
}

// The visible window of the console, not its scroll-back buffer.
TerminalSize MeasureTerminal(std::FILE* stream) {
  const HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(console, &info)) return {};
  return {info.srWindow.Right - info.srWindow.Left + 1,
          info.srWindow.Bottom - info.srWindow.Top + 1};
}

TerminalWidth::TerminalWidth(std::FILE* output) : stream(output) {}

TerminalWidth::~TerminalWidth() = default;

TerminalSize TerminalWidth::Size() { return WithDefaults(MeasureTerminal(stream)); }
