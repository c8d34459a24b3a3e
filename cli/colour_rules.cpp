#include "cli/colour_rules.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr char dumbTerminal[] = "dumb";

}  // namespace

ColourEnvironment CurrentColourEnvironment() {
  return {std::getenv("NO_COLOR"), std::getenv("TERM")};
}

bool UseColour(ColourChoice choice, bool terminal, const ColourEnvironment& environment) {
  if (choice != ColourChoice::automatic) return choice == ColourChoice::always;
  const bool dumb = environment.term != nullptr && std::strcmp(environment.term, dumbTerminal) == 0;
  return terminal && environment.noColour == nullptr && !dumb;
}

StationOutput ChooseStationOutput(const StationOutputFacts& facts) {
  const bool rowsFit = facts.outTerminal && facts.colour && !facts.quiet;
  const bool traceTearsRows = facts.trace && facts.errorTerminal;
  return rowsFit && !traceTearsRows ? StationOutput::rows : StationOutput::lines;
}
