// Splitting a text to a width: where the breaks fall, and that nothing is
// lost on the way (the lines joined again are the text).
#include "app/line_split.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// One unit per character, not per byte, and W and Ш three units wide: a
// proportional font in which Cyrillic takes two bytes a letter.
int Width(const std::string& text) {
  int width = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == 'W' || text.compare(i, 2, "Ш") == 0) width += 2;
    width += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
  }
  return width;
}

struct Case {
  const char* name;
  std::string text;
  int width;
  Lines expected;
};

void ExpectSplits(const Case* cases, size_t count) {
  for (const Case& c : std::vector<Case>(cases, cases + count)) {
    const Lines lines = SplitToWidth(c.text, c.width, Width);
    EXPECT_EQ(lines, c.expected) << c.name;
    std::string joined;
    for (const std::string& line : lines) joined += line;
    EXPECT_EQ(joined, c.text) << c.name << ": the lines joined are the text";
  }
}

TEST(SplitToWidth, BreaksBeforeTheLastSpaceThatLetsALineFit) {
  const Case cases[] = {
      {"fits whole", "abc def", 7, {"abc def"}},
      {"the last word that fits", "ab cd ef gh", 7, {"ab cd", " ef gh"}},
      {"the space counts on the next line", "abcd efgh", 5, {"abcd", " efgh"}},
      {"a run of spaces goes to the next line", "ab   cd", 5, {"ab", "   cd"}},
      {"Cyrillic by letters, not bytes", "Файл не принят", 8, {"Файл не", " принят"}},
      {"empty", "", 5, {""}},
  };
  ExpectSplits(cases, std::size(cases));
}

TEST(SplitToWidth, AWordWiderThanTheLineIsCutBetweenCharacters) {
  const Case cases[] = {
      {"after a short word", "ab /tmp/x/y.koeff", 6, {"ab", " /tmp/", "x/y.ko", "eff"}},
      {"never inside a letter", "ёжикёжик", 3, {"ёжи", "кёж", "ик"}},
      {"by width, not by count", "aWaШa", 4, {"aW", "aШ", "a"}},
      {"a character wider than the line", "WWa", 2, {"W", "W", "a"}},
      {"a word that fits only without its space", "ab cdef", 4, {"ab", " cde", "f"}},
      {"exactly the width", "abcde", 5, {"abcde"}},
  };
  ExpectSplits(cases, std::size(cases));
}

}  // namespace
