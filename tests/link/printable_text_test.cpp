// What a name may not do on a terminal or in a menu: break the line, start
// an escape sequence, or hide bytes that are not text.
#include "link/printable_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string mark = "\xEF\xBF\xBD";  // U+FFFD

TEST(PrintableText, KeepsTextAndShowsControlsAndStrayBytes) {
  struct Case {
    std::string text;
    std::string shown;
  };
  const Case cases[] = {
      {"Преобразователь №3 — ВЕЛТ \xF0\x9F\x94\x8C", "Преобразователь №3 — ВЕЛТ \xF0\x9F\x94\x8C"},
      // Controls: line breaks, the terminal's escape, DEL, NUL, C1's CSI and NEL.
      {"a\nttyUSB9   Fake\r\t", "a" + mark + "ttyUSB9   Fake" + mark + mark},
      {"\x1B[2J\x7F", mark + "[2J" + mark},
      {std::string("\0\xC2\x9B" "31m\xC2\x85", 8), mark + mark + "31m" + mark},
      {"\xC2\xA0", "\xC2\xA0"},  // U+00A0, the first character past C1
      // Not UTF-8: Windows Cyrillic, cut short, overlong, a surrogate, past U+10FFFF.
      {"\xCF\xF0\xE8", "\\xCF\\xF0\\xE8"},      {"ab\xE2\x80", "ab\\xE2\\x80"},
      {"\xC0\xAF\xE0\x80\xAF", "\\xC0\\xAF\\xE0\\x80\\xAF"},
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},      {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},
      {"\xFF\x80z", "\\xFF\\x80z"},
  };
  for (const Case& c : cases) EXPECT_EQ(PrintableText(c.text), c.shown) << c.shown;
}

}  // namespace
