// Runs velt-flash as a child process and collects what it said.
#pragma once

#include <csignal>
#include <string>
#include <vector>

struct FlashRun {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs velt-flash with `arguments`, stdout and stderr into files (not a
// terminal). `environment` entries ("NAME=value") are added for the child.
FlashRun RunFlash(const std::vector<std::string>& arguments,
                  const std::vector<std::string>& environment = {});

// Same, with stdout on a pseudo-terminal, as an operator at a console sees it;
// stderr too when `errorsToTerminal` (then run.err stays empty).
FlashRun RunFlashOnTerminal(const std::vector<std::string>& arguments,
                            bool errorsToTerminal = false);

// Starts velt-flash, sends it `signal` after `delayMilliseconds`, waits.
FlashRun RunFlashAndInterrupt(const std::vector<std::string>& arguments, int delayMilliseconds,
                              int signal = SIGINT);

// The output split into lines.
std::vector<std::string> Lines(const std::string& text);
