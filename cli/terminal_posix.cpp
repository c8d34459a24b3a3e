#include "cli/terminal.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>

#include "cli/terminal_default.h"

namespace {

// Set by SIGWINCH, taken back by the next measurement.
std::atomic<bool> resized{false};

void NoteResize(int) { resized = true; }

void HandleResize(void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  action.sa_flags = SA_RESTART;  // the device threads' reads and writes go on
  sigemptyset(&action.sa_mask);
  sigaction(SIGWINCH, &action, nullptr);
}

}  // namespace

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

// POSIX terminals take UTF-8 and ANSI colours as they are.
void PrepareConsole() {}

TerminalSize MeasureTerminal(std::FILE* stream) {
  winsize window = {};
  if (ioctl(fileno(stream), TIOCGWINSZ, &window) != 0) return {};
  return {window.ws_col, window.ws_row};
}

TerminalWidth::TerminalWidth(std::FILE* output) : stream(output) { HandleResize(NoteResize); }

TerminalWidth::~TerminalWidth() { HandleResize(SIG_DFL); }

TerminalSize TerminalWidth::Size() {
  if (!measured || resized.exchange(false)) {
    size = WithDefaults(MeasureTerminal(stream));
    measured = true;
  }
  return size;
}
