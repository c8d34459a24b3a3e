// Splitting a text to a width: where the breaks fall, that nothing is lost,
// and that no line comes out wider than allowed.
#include "app/line_split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// One unit per character (not per byte), so that Cyrillic counts as the
// window draws it: one letter, two bytes.
int Characters(const std::string& text) {
  int count = 0;
  for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

// Wide letters, as in a proportional font: W and Ш count three, the rest one.
int Proportional(const std::string& text) {
  int width = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == 'W' || text.compare(i, 2, "Ш") == 0) width += 2;
    width += (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
  }
  return width;
}

std::string Joined(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line;
  return text;
}

struct Case {
  const char* name;
  std::string text;
  int width;
  Lines expected;
};

void ExpectSplits(const Case cases[], size_t count, const TextMeasure& measure) {
  for (size_t i = 0; i < count; ++i) {
    const Case& c = cases[i];
    const Lines lines = SplitToWidth(c.text, c.width, measure);
    EXPECT_EQ(lines, c.expected) << c.name;
    EXPECT_EQ(Joined(lines), c.text) << c.name << ": the lines joined are the text";
  }
}

TEST(SplitToWidth, BreaksBeforeTheLastSpaceThatLetsALineFit) {
  const Case cases[] = {
      {"fits whole", "abc def", 7, {"abc def"}},
      {"break before the space", "abc def", 6, {"abc", " def"}},
      {"the last word that fits", "ab cd ef gh", 7, {"ab cd", " ef gh"}},
      {"the space counts on the next line", "abcd efgh", 5, {"abcd", " efgh"}},
      {"a run of spaces goes to the next line", "ab   cd", 5, {"ab", "   cd"}},
      {"three lines", "один два три", 4, {"один", " два", " три"}},
      {"Cyrillic by letters, not bytes", "Файл не принят", 8, {"Файл не", " принят"}},
      {"a leading space stays", " ab cd", 3, {" ab", " cd"}},
  };
  ExpectSplits(cases, std::size(cases), Characters);
}

TEST(SplitToWidth, AWordWiderThanTheLineIsCutBetweenCharacters) {
  const Case cases[] = {
      {"one long word", "abcdefgh", 3, {"abc", "def", "gh"}},
      {"after a short word", "ab /tmp/x/y.koeff", 6, {"ab", " /tmp/", "x/y.ko", "eff"}},
      {"never inside a letter", "ёжикёжик", 3, {"ёжи", "кёж", "ик"}},
      {"a character wider than the line", "WWa", 2, {"W", "W", "a"}},
      {"proportional widths", "aWaШa", 4, {"aW", "aШ", "a"}},
      {"a word that fits only without its space", "ab cdef", 4, {"ab", " cde", "f"}},
  };
  ExpectSplits(cases, std::size(cases), Proportional);
}

TEST(SplitToWidth, EdgeTexts) {
  const Case cases[] = {
      {"empty", "", 5, {""}},
      {"only spaces", "   ", 1, {" ", " ", " "}},
      {"exactly the width", "abcde", 5, {"abcde"}},
      {"one over", "abcdef", 5, {"abcde", "f"}},
      {"zero width", "ab", 0, {"a", "b"}},
  };
  ExpectSplits(cases, std::size(cases), Characters);
}

// The reasons the window splits, at the widths of a narrow log: no line is
// wider than allowed unless it is a single character.
TEST(SplitToWidth, NoLineExceedsTheWidth) {
  const std::string texts[] = {
      "Файл не принят: в файле меньше 28 строк (прочитано 27).",
      "Файл /tmp/velt-app-test-AbC123/очень-длинное-имя-файла.koeff уже есть, не заменён.",
      "коэффициенты 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 не число (NaN), такое значение в файл "
      "не записать; все байты FF FF FF FF: страницы 0x7000 и 0x7040, похоже, стёрты",
  };
  for (const std::string& text : texts) {
    for (int width : {1, 7, 20, 33}) {
      for (const std::string& line : SplitToWidth(text, width, Proportional)) {
        if (Characters(line) > 1) {
          EXPECT_LE(Proportional(line), width) << line;
        }
        EXPECT_FALSE(line.empty()) << text;
      }
    }
  }
}

}  // namespace
