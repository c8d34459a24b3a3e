// The line parser against the C library's own sscanf "%f" in the "C" locale,
// which is what the operator's files have always been read with.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "coeff/float_text.h"

namespace {

struct Reading {
  bool ok;
  uint32_t bits;
};

uint32_t Bits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

Reading Ours(const std::string& text) {
  float value = 0.0f;
  const bool ok = ReadLeadingFloat(text.c_str(), static_cast<int>(text.size()), &value) == 0;
  return {ok, ok ? Bits(value) : 0};
}

Reading Library(const std::string& text) {
  float value = 0.0f;
  const bool ok = std::sscanf(text.c_str(), "%f", &value) == 1;
  return {ok, ok ? Bits(value) : 0};
}

// The reader follows glibc. mingw's scanf differs in one corner: it takes a
// "0x" followed by the exponent letter ("0xp1") as 0, where glibc wants a hex
// digit first; such texts are not compared there.
bool LibraryDiffers(const std::string& text) {
#ifdef __GLIBC__
  (void)text;
  return false;
#else
  size_t at = text.find_first_not_of(" \t\n\v\f\r");
  if (at != std::string::npos && (text[at] == '+' || text[at] == '-')) ++at;
  if (at == std::string::npos || text.size() < at + 3) return false;
  return text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
         (text[at + 2] == 'p' || text[at + 2] == 'P');
#endif
}

void ExpectSameAsLibrary(const std::string& text) {
  if (LibraryDiffers(text)) return;
  const Reading ours = Ours(text);
  const Reading library = Library(text);
  ASSERT_EQ(ours.ok, library.ok) << "text \"" << text << "\"";
  ASSERT_EQ(ours.bits, library.bits) << std::hex << "text \"" << text << "\"";
}

TEST(ReadLeadingFloat, ReadsTheFieldsTheCLibraryReads) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t bits;
  };
  const Case cases[] = {
      {"1.0", true, 0x3F800000},       {"  1.5e2 volts", true, 0x43160000},
      {"1,5", true, 0x3F800000},       {"-0.0", true, 0x80000000},
      {"+.5", true, 0x3F000000},       {"5.", true, 0x40A00000},
      {"1e", true, 0x3F800000},        {"1e+", true, 0x3F800000},
      {"1e5.3", true, 0x47C35000},     {"0x1.8p1", true, 0x40400000},
      {"0x.", true, 0x00000000},       {"0x1p", true, 0x3F800000},
      {"0e5", true, 0x00000000},       {"inf", true, 0x7F800000},
      {"-Infinity", true, 0xFF800000}, {"infx", true, 0x7F800000},
      {"nan(7)", true, 0x7FC00000},    {"-NaN", true, 0xFFC00000},
      {"1e50", true, 0x7F800000},      {"-1e-50", true, 0x80000000},
      {"1e-45", true, 0x00000001},     {"0x1p-150", true, 0x00000000},
      {"\v\f\r\t 7", true, 0x40E00000}, {"", false, 0},
      {"   ", false, 0},               {"abc", false, 0},
      {".", false, 0},                 {"-", false, 0},
      {"+-1", false, 0},               {".e1", false, 0},
      {"0x", false, 0},                {"0xp1", false, 0},
      {"infi", false, 0},              {"na", false, 0},
      {"- 1", false, 0},               {"\x1c" "1", false, 0},
  };
  for (const Case& c : cases) {
    const Reading ours = Ours(c.text);
    EXPECT_EQ(ours.ok, c.ok) << "text \"" << c.text << "\"";
    if (c.ok) {
      EXPECT_EQ(ours.bits, c.bits) << std::hex << "text \"" << c.text << "\"";
    }
  }
}

TEST(ReadLeadingFloat, StopsAtTheGivenLengthAndAtNul) {
  float value = 0.0f;
  ASSERT_EQ(ReadLeadingFloat("12345", 2, &value), 0);
  EXPECT_EQ(value, 12.0f);
  const char withNul[] = {'2', '\0', '5'};
  ASSERT_EQ(ReadLeadingFloat(withNul, 3, &value), 0);
  EXPECT_EQ(value, 2.0f);
  const char nulFirst[] = {' ', '\0', '5'};
  EXPECT_EQ(ReadLeadingFloat(nulFirst, 3, &value), -1);
  EXPECT_EQ(ReadLeadingFloat("inf", 2, &value), -1);
}

// Text built from pieces that exercise every branch of the C library's
// scanner: signs, points, exponents, hex prefixes, special words, blanks and
// junk, so that odd combinations ("0x.p", "1e-+", "infin") come up often.
std::string RandomText(std::mt19937& random) {
  static const char* const pieces[] = {
      "0", "1", "5", "9", "00", "12345678", "16777217", "3.4028236e38", ".", ".", "e", "E",
      "+", "-", "x", "X", "p", "P", "a", "f", "F", "inf", "nan", "inity", "i", "n", "(", ")",
      " ", "\t", "\r", "e38", "e39", "e-38", "e-45", "e-46", "e-50", "e400", "0x", "0X1",
      "ffffff", "p-149", "p128", "#", ",", "z", "\xd0\x92", "999999999999999999999"};
  std::uniform_int_distribution<int> count(0, 8);
  std::uniform_int_distribution<int> pick(0, sizeof pieces / sizeof pieces[0] - 1);
  std::string text;
  for (int n = count(random); n > 0; --n) text += pieces[pick(random)];
  return text;
}

// Decimal and hex numbers with many digits and exponents around the edges of
// float's range, where rounding, subnormals and overflow are decided.
std::string RandomNumber(std::mt19937& random) {
  std::uniform_int_distribution<int> digitCount(1, 30);
  std::uniform_int_distribution<int> digit(0, 15);
  std::uniform_int_distribution<int> coin(0, 1);
  const bool hex = coin(random) == 1;
  std::string text = coin(random) ? "-" : "";
  if (hex) text += "0x";
  const int digits = digitCount(random);
  const int point = std::uniform_int_distribution<int>(0, digits)(random);
  for (int i = 0; i < digits; ++i) {
    if (i == point) text += '.';
    text += "0123456789abcdef"[hex ? digit(random) : digit(random) % 10];
  }
  if (hex) {
    text += 'p' + std::to_string(std::uniform_int_distribution<int>(-260, 140)(random));
  } else {
    text += 'e' + std::to_string(std::uniform_int_distribution<int>(-80, 50)(random));
  }
  return text;
}

TEST(ReadLeadingFloat, AgreesWithSscanfOnGeneratedText) {
  std::mt19937 random(20261208);
  constexpr int textCount = 200000;
  for (int i = 0; i < textCount; ++i) {
    ASSERT_NO_FATAL_FAILURE(ExpectSameAsLibrary(RandomText(random)));
  }
}

TEST(ReadLeadingFloat, AgreesWithSscanfOnGeneratedNumbers) {
  std::mt19937 random(1957);
  constexpr int numberCount = 200000;
  for (int i = 0; i < numberCount; ++i) {
    ASSERT_NO_FATAL_FAILURE(ExpectSameAsLibrary(RandomNumber(random)));
  }
}

TEST(ReadLeadingFloat, AgreesWithSscanfOnHalfwayCases) {
  // Exactly halfway between two floats, and a hair to either side: the
  // cases a parser that rounds twice gets wrong.
  const char* const texts[] = {
      "16777217",           "16777219",          "16777217.000000000000000000001",
      "16777216.999999999999999999999", "0x1.000001p0", "0x1.0000011p0", "0x1.000003p0",
      "7.0064923216240854e-46", "7.0064923216240862e-46", "1.4012984643248171e-45",
      "3.4028235677973366e38", "3.4028235677973362e38", "0x1.fffffefp127", "0x1.ffffffp127"};
  for (const char* text : texts) ExpectSameAsLibrary(text);
}

}  // namespace
