#include "app/line_split.h"

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Just past the UTF-8 character that starts at `at`.
size_t NextCharacter(const std::string& text, size_t at) {
  ++at;
  while (at < text.size() && IsContinuationByte(text[at])) ++at;
  return at;
}

bool Fits(const std::string& text, size_t start, size_t end, int width,
          const TextMeasure& measure) {
  return measure(text.substr(start, end - start)) <= width;
}

// A word ends at `at`: a space follows it.
bool WordEndsAt(const std::string& text, size_t at) {
  return at > 0 && at < text.size() && text[at] == ' ' && text[at - 1] != ' ';
}

// Where the line that starts at `start` ends: at the last word's end that
// still lets it fit, else after the last character that fits, else after
// one character.
size_t LineEnd(const std::string& text, size_t start, int width, const TextMeasure& measure) {
  size_t fitting = start;
  size_t lastBreak = start;
  while (fitting < text.size()) {
    const size_t next = NextCharacter(text, fitting);
    if (!Fits(text, start, next, width, measure)) break;
    fitting = next;
    if (WordEndsAt(text, fitting)) lastBreak = fitting;
  }
  if (fitting == text.size()) return fitting;
  if (lastBreak > start) return lastBreak;
  if (fitting > start) return fitting;
  return NextCharacter(text, start);
}

}  // namespace

std::vector<std::string> SplitToWidth(const std::string& text, int width,
                                      const TextMeasure& measure) {
  std::vector<std::string> lines;
  size_t start = 0;
  do {
    const size_t end = LineEnd(text, start, width, measure);
    lines.push_back(text.substr(start, end - start));
    start = end;
  } while (start < text.size());
  return lines;
}
