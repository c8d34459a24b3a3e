// Runs velt-flash as a child process, against simulated devices, and
// collects what it said.
#pragma once

#include <sys/types.h>

#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "loader/procedures.h"
#include "sim/simulator.h"
#include "tests/support/terminal_columns.h"
#include "tests/support/sim_settings.h"

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

// The pseudo-terminal of a run: its size, and a resize during the run. The
// child sees TERM=xterm and no NO_COLOR unless `environment` says otherwise.
struct TerminalRun {
  int columns = 0;  // 0: the size is left unset, as a bare pty has it
  int rows = 0;
  std::vector<std::string> environment;
  bool errorsToTerminal = false;
  int resizeAfterMilliseconds = 0;  // 0: no resize; else to resizeColumns, with SIGWINCH
  int resizeColumns = 0;
};

FlashRun RunFlashOnTerminal(const std::vector<std::string>& arguments,
                            const TerminalRun& terminal);

// Starts velt-flash, sends it `signal` after `delayMilliseconds`, waits.
FlashRun RunFlashAndInterrupt(const std::vector<std::string>& arguments, int delayMilliseconds,
                              int signal = SIGINT);

// Starts velt-flash, does `meanwhile` (given the child's pid) after
// `delayMilliseconds`, waits.
// Each controller's firmware range of the device holds the tables' present
// pages.
void ExpectTablesInMemory(const Simulator& device, const FirmwareTables& tables);

FlashRun RunFlashAndMeanwhile(const std::vector<std::string>& arguments, int delayMilliseconds,
                              const std::function<void(pid_t)>& meanwhile);

// The output split into lines.
std::vector<std::string> Lines(const std::string& text);

// What a terminal shows of the output between two carriage returns or line
// feeds, the control sequences taken out; Characters() gives its columns.
std::vector<std::string> DrawnPieces(const std::string& output);

using LogLines = std::vector<std::string>;

// What a firmware load logs from start to end.
const LogLines firmwareLog = {
    "Контроллер 1 - запись",  "Контроллер 2 - запись",  "Контроллер 3 - запись",
    "Контроллеры загружены.", "Контроллер 1 - проверка", "Контроллер 2 - проверка",
    "Контроллер 3 - проверка", "Проверка прошла.",       "Запуск."};

// A test against one unpaced simulated device.
class OneDevice : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(device.Ok()); }
  Simulator device{Unpaced()};
};
