// velt-flash on one port as the users of other flashers expect it: colour
// only where it belongs, short options, a quiet mode, and a progress line
// that never outgrows the terminal.
#include <regex>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/simulator.h"
#include "tests/cli/flash_process.h"
#include "tests/support/sim_settings.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class Conventions : public OneDevice {};

TEST_F(Conventions, ColourAndEscapesFollowTheTerminalNoColorTermAndTheOption) {
  struct Case {
    bool terminal;
    std::vector<std::string> environment;
    std::vector<std::string> options;
    bool escapes;
  };
  const Case cases[] = {
      {true, {}, {}, true},
      {true, {"NO_COLOR="}, {}, false},
      {true, {"TERM=dumb"}, {}, false},
      {true, {"NO_COLOR=1"}, {"--color=always"}, true},
      {false, {}, {"--color=always"}, true},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = c.options;
    arguments.insert(arguments.end(), {"-p", device.DevicePath(), "reset"});
    FlashRun run;
    if (c.terminal) {
      TerminalRun terminal;
      terminal.environment = c.environment;
      run = RunFlashOnTerminal(arguments, terminal);
    } else {
      run = RunFlash(arguments, c.environment);
    }
    const std::string what = (c.terminal ? "terminal " : "pipe ") +
                             ::testing::PrintToString(c.environment) +
                             ::testing::PrintToString(c.options);
    EXPECT_EQ(run.status, 0) << what;
    EXPECT_EQ(run.out.find('\x1b') != std::string::npos, c.escapes) << what;
    EXPECT_EQ(run.out.find("\x1b[34mЗапуск.\x1b[0m") != std::string::npos, c.escapes) << what;
    EXPECT_THAT(run.out, HasSubstr("Запуск.")) << what;
  }
}

TEST_F(Conventions, QuietPrintsOnlyFailuresAndTheResult) {
  const FlashRun done = RunFlash({"-q", "-p", device.DevicePath(), "firmware"});
  EXPECT_EQ(done.status, 0);
  EXPECT_EQ(Lines(done.out), LogLines{"Запуск."});
  EXPECT_EQ(done.err, "") << "not even the trace line";

  device.SetFaults(Faults([](SimFaults& f) { f.badReadController = 1; f.badReadPage = 0x7040; }));
  const FlashRun failed = RunFlash({"-q", "-p", device.DevicePath(), "reset"});
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(Lines(failed.out), LogLines{"Ошибка!!!."});
  EXPECT_THAT(failed.err, HasSubstr("не удалось: проверка страницы 0x7040 контроллера 1"));

  const FlashRun onTerminal = RunFlashOnTerminal({"-q", "-p", device.DevicePath(), "reset"});
  EXPECT_THAT(onTerminal.out, Not(HasSubstr("записано"))) << "no progress line";
}

TEST_F(Conventions, TheProgressLineNeverReachesTheLastColumnOfANarrowTerminal) {
  for (const int columns : {20, 33, 47}) {
    TerminalRun terminal;
    terminal.columns = columns;
    terminal.rows = 10;
    const FlashRun run = RunFlashOnTerminal({"-p", device.DevicePath(), "firmware"}, terminal);
    EXPECT_EQ(run.status, 0);
    int progressLines = 0;
    for (const std::string& piece : DrawnPieces(run.out)) {
      if (piece.find(" %, ") == std::string::npos) continue;  // a log line may wrap, as any
      EXPECT_LT(Characters(piece), columns) << piece;
      ++progressLines;
    }
    EXPECT_GE(progressLines, 298) << "a line for each page written and verified";
  }
}

// Made narrower in the middle of a load, the terminal gets a progress line
// that fits it from the next page on.
TEST(ConventionsResize, TheProgressLineFollowsTheTerminalsNewWidth) {
  // Long enough a load to be resized in it.
  Simulator device(Changed(Unpaced(), [](SimOptions& o) { o.writeLatencyMs = 8; }));
  ASSERT_TRUE(device.Ok());
  TerminalRun terminal;
  terminal.columns = 100;
  terminal.rows = 20;
  terminal.resizeAfterMilliseconds = 600;
  terminal.resizeColumns = 30;
  const FlashRun run = RunFlashOnTerminal({"-p", device.DevicePath(), "firmware"}, terminal);
  EXPECT_EQ(run.status, 0);
  std::vector<std::string> progress;
  for (const std::string& piece : DrawnPieces(run.out)) {
    if (piece.find(" %, ") != std::string::npos) progress.push_back(piece);
  }
  ASSERT_FALSE(progress.empty());
  EXPECT_GE(Characters(progress.front()), 30) << "wide before: " << progress.front();
  EXPECT_LT(Characters(progress.back()), 30) << "narrow after: " << progress.back();
  for (const std::string& piece : progress) EXPECT_LT(Characters(piece), 100) << piece;
}

}  // namespace
