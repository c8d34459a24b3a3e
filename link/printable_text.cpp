#include "link/printable_text.h"

#include <cstdio>

namespace {

const char placeholder[] = "\xEF\xBF\xBD";  // U+FFFD, the replacement character
constexpr unsigned char firstPrintable = 0x20;
constexpr unsigned char deleteCharacter = 0x7F;
// U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F in UTF-8.
constexpr unsigned char c1Lead = 0xC2;
constexpr unsigned char c1SecondEnd = 0xA0;

unsigned char ByteAt(const std::string& text, size_t i) {
  return static_cast<unsigned char>(text[i]);
}

// The length of the well-formed UTF-8 sequence at text[i] (no overlong
// forms, no surrogates, nothing past U+10FFFF), or 0.
size_t SequenceLength(const std::string& text, size_t i) {
  const unsigned char lead = ByteAt(text, i);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char secondLow = 0x80, secondHigh = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) secondLow = 0xA0;
    if (lead == 0xED) secondHigh = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) secondLow = 0x90;
    if (lead == 0xF4) secondHigh = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    const unsigned char c = ByteAt(text, i + k);
    const unsigned char low = k == 1 ? secondLow : 0x80;
    const unsigned char high = k == 1 ? secondHigh : 0xBF;
    if (c < low || c > high) return 0;
  }
  return length;
}

bool IsControl(const std::string& text, size_t i, size_t length) {
  const unsigned char lead = ByteAt(text, i);
  if (length == 1) return lead < firstPrintable || lead == deleteCharacter;
  return length == 2 && lead == c1Lead && ByteAt(text, i + 1) < c1SecondEnd;
}

// Both texts: the invalid bytes escaped, control characters replaced only
// when `hideControls`.
std::string Escaped(const std::string& text, bool hideControls) {
  std::string shown;
  for (size_t i = 0; i < text.size();) {
    const size_t length = SequenceLength(text, i);
    if (length == 0) {
      char escaped[sizeof "\\xFF"];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", ByteAt(text, i));
      shown += escaped;
      ++i;
      continue;
    }
    if (hideControls && IsControl(text, i, length)) {
      shown += placeholder;
    } else {
      shown.append(text, i, length);
    }
    i += length;
  }
  return shown;
}

}  // namespace

std::string PrintableText(const std::string& text) { return Escaped(text, true); }

std::string ValidUtf8Text(const std::string& text) { return Escaped(text, false); }
