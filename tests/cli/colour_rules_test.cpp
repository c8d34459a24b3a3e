#include <gtest/gtest.h>

#include "cli/colour_rules.h"
#include "cli/exit_rule.h"

namespace {

constexpr bool terminal = true;
constexpr bool pipe = false;

TEST(ColourRules, ColourOnlyOnATerminalWithoutNoColorOrADumbTerminalUnlessForced) {
  struct Case {
    ColourChoice choice;
    bool terminal;
    const char* noColour;  // null: not set
    const char* term;
    bool colour;
  };
  const ColourChoice automatic = ColourChoice::automatic;
  const Case cases[] = {
      {automatic, terminal, nullptr, "xterm-256color", true},
      {automatic, terminal, nullptr, nullptr, true},  // the Windows console has no TERM
      {automatic, terminal, nullptr, "", true},
      {automatic, pipe, nullptr, "xterm", false},
      {automatic, terminal, "1", "xterm", false},
      {automatic, terminal, "", "xterm", false},  // set to nothing is still set
      {automatic, terminal, "0", "xterm", false},  // whatever its value
      {automatic, terminal, nullptr, "dumb", false},
      {automatic, terminal, nullptr, "dumber", true},  // only "dumb" itself
      {automatic, pipe, "1", "dumb", false},
      {ColourChoice::always, pipe, nullptr, "xterm", true},
      {ColourChoice::always, terminal, "1", "dumb", true},  // asked for on the command line
      {ColourChoice::never, terminal, nullptr, "xterm", false},
      {ColourChoice::never, pipe, nullptr, "xterm", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UseColour(c.choice, c.terminal, {c.noColour, c.term}), c.colour)
        << static_cast<int>(c.choice) << " terminal " << c.terminal << " NO_COLOR "
        << (c.noColour ? c.noColour : "(unset)") << " TERM " << (c.term ? c.term : "(unset)");
  }
}

TEST(StationOutputRules, RowsOnlyOnAColouredTerminalThatNothingElseWritesInto) {
  struct Case {
    StationOutputFacts facts;  // stdout and stderr terminals, colour, quiet, trace
    StationOutput output;
  };
  const StationOutput rows = StationOutput::rows;
  const StationOutput lines = StationOutput::lines;
  const Case cases[] = {
      {{terminal, terminal, true, false, false}, rows},
      {{terminal, pipe, true, false, false}, rows},
      {{terminal, pipe, true, false, true}, rows},  // the trace goes to a file
      {{terminal, terminal, true, false, true}, lines},  // it would tear the rows
      {{terminal, terminal, false, false, false}, lines},  // no escapes: no cursor moves
      {{terminal, terminal, true, true, false}, lines},  // quiet: failures only
      {{pipe, terminal, true, false, false}, lines},  // --color=always into a pipe
      {{pipe, pipe, false, false, false}, lines},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseStationOutput(c.facts), c.output)
        << c.facts.outTerminal << c.facts.errorTerminal << c.facts.colour << c.facts.quiet
        << c.facts.trace;
  }
}

TEST(StationExitRule, ZeroOnlyWhenEveryDeviceSucceededElseTheFirstFailureInPortOrder) {
  struct Case {
    std::vector<int> statuses;
    int status;
  };
  const Case cases[] = {
      {{0}, 0},
      {{0, 0, 0, 0, 0, 0, 0, 0}, 0},
      {{2}, 2},
      {{0, 2, 1}, 2},          // not the largest ...
      {{0, 1, 2}, 1},          // ... nor the smallest: the first
      {{3, 0, 0}, 3},          // a start not confirmed counts as not 0
      {{0, 0, 0, 130}, 130},   // the last one alone
      {{4, 130, 130}, 4},      // a port that never opened, then Ctrl-C
      {{0, 5, 5}, 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StationExitStatus(c.statuses), c.status) << ::testing::PrintToString(c.statuses);
  }
}

}  // namespace
