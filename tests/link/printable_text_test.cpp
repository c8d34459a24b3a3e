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
      {"FTDI FT232R USB UART A50285BI", "FTDI FT232R USB UART A50285BI"},
      {"Преобразователь №3 — ВЕЛТ", "Преобразователь №3 — ВЕЛТ"},
      {"\xF0\x9F\x94\x8C plug", "\xF0\x9F\x94\x8C plug"},  // four bytes, U+1F50C
      {"", ""},
      // Controls: line breaks, the terminal's escape, DEL, C1's CSI and NEL.
      {"a\nttyUSB9   Fake", "a" + mark + "ttyUSB9   Fake"},
      {"\r\t", mark + mark},
      {"\x1B[2J\x1B]0;title\a", mark + "[2J" + mark + "]0;title" + mark},
      {"x\x7Fy", "x" + mark + "y"},
      {"\xC2\x9B" "31m\xC2\x85", mark + "31m" + mark},
      {std::string("a\0b", 3), "a" + mark + "b"},
      {"\xC2\xA0", "\xC2\xA0"},  // U+00A0 is the first character past C1
      // Not UTF-8: a Windows Cyrillic name, cut, overlong, surrogate, too large.
      {"\xCF\xF0\xE8\xE1\xEE\xF0", "\\xCF\\xF0\\xE8\\xE1\\xEE\\xF0"},
      {"ab\xD0", "ab\\xD0"},
      {"\xE2\x80", "\\xE2\\x80"},
      {"\xC0\xAF", "\\xC0\\xAF"},
      {"\xE0\x80\xAF", "\\xE0\\x80\\xAF"},
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},
      {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},
      {"\xFF\xFE", "\\xFF\\xFE"},
      {"\x80z", "\\x80z"},
  };
  for (const Case& c : cases) EXPECT_EQ(PrintableText(c.text), c.shown) << c.shown;
}

}  // namespace
