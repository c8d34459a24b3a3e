#include "cli/terminal.h"

#include <unistd.h>

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

// POSIX terminals take UTF-8 and ANSI colours as they are.
void PrepareConsole() {}
