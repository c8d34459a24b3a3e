#include "cli/log_line.h"

namespace {

constexpr char red[] = "\x1b[31m";
constexpr char blue[] = "\x1b[34m";

}  // namespace

const char plainColour[] = "\x1b[0m";

const char* ColourOf(LineKind kind) { return kind == LineKind::failure ? red : blue; }

std::string ShownLine(const LogLine& line, bool colour) {
  if (!colour || *line.text == '\0') return line.text;
  return std::string(ColourOf(line.kind)) + line.text + plainColour;
}
