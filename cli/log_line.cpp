#include "cli/log_line.h"

#include <cstring>

namespace {

constexpr char failurePrefix[] = "@C1";
constexpr char progressPrefix[] = "@C4";
constexpr int prefixLength = 3;

constexpr char red[] = "\x1b[31m";
constexpr char blue[] = "\x1b[34m";

}  // namespace

const char plainColour[] = "\x1b[0m";

LogLine SplitLogLine(const char* line) {
  if (std::strncmp(line, failurePrefix, prefixLength) == 0) {
    return {LineKind::failure, line + prefixLength};
  }
  if (std::strncmp(line, progressPrefix, prefixLength) == 0) {
    return {LineKind::progress, line + prefixLength};
  }
  return {LineKind::plain, line};
}

const char* ColourOf(LineKind kind) {
  if (kind == LineKind::failure) return red;
  if (kind == LineKind::progress) return blue;
  return "";
}

std::string ShownLine(const LogLine& line, bool colour) {
  if (!colour || line.kind == LineKind::plain || *line.text == '\0') return line.text;
  return std::string(ColourOf(line.kind)) + line.text + plainColour;
}
