// When velt-flash colours its output, and how a station shows its devices:
// colour only where a person reads it, never against NO_COLOR or a dumb
// terminal unless asked for with --color=always.
#pragma once

enum class ColourChoice { automatic, always, never };

// What the environment says about colour: NO_COLOR set (to anything, even
// empty) and TERM; null for a variable that is not set.
struct ColourEnvironment {
  const char* noColour;
  const char* term;
};

ColourEnvironment CurrentColourEnvironment();

// Colour, and with it every other control sequence (a progress line erased
// in place, rows redrawn): without colour the output holds no escape at all.
bool UseColour(ColourChoice choice, bool terminal, const ColourEnvironment& environment);

// A station on a terminal redraws one row per device; anywhere else, or
// when the rows would be torn by a trace on the same terminal, or when only
// failures are wanted, it prints each device's lines prefixed with its port.
enum class StationOutput { rows, lines };

struct StationOutputFacts {
  bool outTerminal;    // stdout is a terminal
  bool errorTerminal;  // stderr is one
  bool colour;         // as UseColour decided for stdout
  bool quiet;
  bool trace;
};

StationOutput ChooseStationOutput(const StationOutputFacts& facts);
