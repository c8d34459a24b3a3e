// The line parser: decimal numbers only, rounded exactly from the whole text
// however long, with the C library's strtof in the "C" locale as the second
// opinion where it can be trusted. The rounding is the standard library's;
// what is checked here is that the wrapper hands it the right text.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "coeff/float_text.h"
#include "tests/coeff/float_bits.h"

namespace {

constexpr uint32_t infinityBits = 0x7F800000;
constexpr uint32_t largestBits = 0x7F7FFFFF;

struct Reading {
  bool ok;
  uint32_t bits;
};

Reading Ours(const std::string& text) {
  float value = 0.0f;
  const bool ok = ReadLeadingFloat(text.c_str(), static_cast<int>(text.size()), &value) == 0;
  return {ok, ok ? Bits(value) : 0};
}

void ExpectReading(const std::string& text, Reading expected) {
  const Reading ours = Ours(text);
  const std::string shown = text.size() > 80 ? text.substr(0, 40) + "…" + text.substr(text.size() - 40) : text;
  ASSERT_EQ(ours.ok, expected.ok) << "text \"" << shown << "\" (" << text.size() << " characters)";
  if (expected.ok) {
    ASSERT_EQ(ours.bits, expected.bits) << std::hex << "text \"" << shown << "\"";
  }
}

TEST(ReadLeadingFloat, ReadsDecimalNumbersAndNothingElse) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t bits;
  };
  const Case cases[] = {
      {"1.0", true, 0x3F800000},        {"  1.5e2 volts", true, 0x43160000},
      {"-0.0", true, 0x80000000},       {"+.5", true, 0x3F000000},
      {"5.", true, 0x40A00000},         {"1e", true, 0x3F800000},
      {"1e+", true, 0x3F800000},        {"1e5.3", true, 0x47C35000},
      {"0e5", true, 0x00000000},        {"1e50", true, infinityBits},
      {"-1e-50", true, 0x80000000},     {"1e-45", true, 0x00000001},
      {"\v\f\r\t 7", true, 0x40E00000}, {"007.250", true, 0x40E80000},
      // Hexadecimal text is the number 0 followed by other text.
      {"0x10", true, 0x00000000},       {"-0X1p3", true, 0x80000000},
      {"0x", true, 0x00000000},
      // A comma or blanks that do not go on with a digit are other text.
      {"1,", true, 0x3F800000},         {"1 ,x 2", true, 0x3F800000},
      {"2;5", true, 0x40000000},        {"2 kV 3", true, 0x40000000},
      {"3 -4", true, 0x40400000},       {"3\xC2\xA0V", true, 0x40400000},
      // Words the C library would take for numbers are none here.
      {"inf", false, 0},                {"-Infinity", false, 0},
      {"INF", false, 0},                {"+nan", false, 0},
      {"-NaN(7)", false, 0},            {"nan", false, 0},
      // A decimal comma right after the number refuses the line.
      {"0,125", false, 0},              {"1,5", false, 0},
      {"-2,5e3", false, 0},             {"1.,5", false, 0},
      {"3e2,5", false, 0},              {" 12,0 ", false, 0},
      {"", false, 0},                   {"   ", false, 0},
      {"abc", false, 0},                {".", false, 0},
      {"-", false, 0},                  {"+-1", false, 0},
      {".e1", false, 0},                {"- 1", false, 0},
      {"\x1c" "1", false, 0},           {",5", false, 0},
  };
  for (const Case& c : cases) ExpectReading(c.text, {c.ok, c.bits});
}

// A thousands separator or a spaced decimal comma: the digits before it are
// not the number the operator meant.
TEST(ReadLeadingFloat, RefusesANumberThatGoesOnAfterBlanks) {
  // Also no-break spaces, as spreadsheets group thousands: U+00A0, U+202F,
  // and 0xA0 of the Windows code page.
  const char* const texts[] = {"1 000,5", "0, 5",  "1 ,5",       " 12 345",         "1\t2",
                               "1e3 5",   "2 , 5", "1\xC2\xA0" "0", "1\xE2\x80\xAF" "0", "1\xA0" "0"};
  for (const char* text : texts) {
    float value = 0.0f;
    EXPECT_EQ(ReadLeadingFloat(text, std::strlen(text), &value), floatTextSpacedNumber) << text;
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
  const char commaNul[] = {'1', ',', '\0', '5'};
  ASSERT_EQ(ReadLeadingFloat(commaNul, 4, &value), 0);
  EXPECT_EQ(value, 1.0f);
  ASSERT_EQ(ReadLeadingFloat("1,5", 2, &value), 0);
  EXPECT_EQ(value, 1.0f);
}

std::string Zeros(size_t count) { return std::string(count, '0'); }

// The cases long texts went wrong in: digits far from the start still count.
TEST(ReadLeadingFloat, LongNumbersAreReadWhole) {
  struct Case {
    std::string text;
    float value;
  };
  const Case cases[] = {
      {Zeros(1024) + "7", 7.0f},
      {Zeros(1100) + "1.5", 1.5f},
      {"1." + Zeros(1100) + "e5", 100000.0f},
      {"-" + Zeros(5000) + "2.5" + Zeros(5000) + "e-1", -0.25f},
      {"0." + Zeros(2000) + "1e2001", 1.0f},
      {"1" + Zeros(2000) + "e-2000", 1.0f},
      {"." + Zeros(99999) + "3e100000", 3.0f},
      {"1" + Zeros(38), 1e38f},
      {"1" + Zeros(39), INFINITY},
      {"0." + Zeros(44) + "1", 1e-45f},
      {"0." + Zeros(46) + "1", 0.0f},
      {"0." + Zeros(5000) + "1", 0.0f},
      {"1e999999999999999999999999", INFINITY},
      {"-1e-999999999999999999999999", -0.0f},
      {Zeros(3000) + "e999999999", 0.0f},
      {"16777217" + Zeros(300) + "e-300", 16777216.0f},  // a tie, to even
      {"16777217." + Zeros(3000) + "1", 16777218.0f},
      {"16777216." + std::string(3000, '9'), 16777216.0f},
  };
  for (const Case& c : cases) ExpectReading(c.text, {true, Bits(c.value)});
}

// Exact decimal arithmetic for the expectations below: non-negative numbers
// as digit strings, most significant first.
std::string MultiplySmall(const std::string& digits, int factor) {
  std::string result;
  int carry = 0;
  for (size_t i = digits.size(); i-- > 0;) {
    const int product = (digits[i] - '0') * factor + carry;
    result.insert(result.begin(), static_cast<char>('0' + product % 10));
    carry = product / 10;
  }
  for (; carry > 0; carry /= 10) result.insert(result.begin(), static_cast<char>('0' + carry % 10));
  return result;
}

// Subtracts one from the last digit, borrowing.
std::string DecrementLast(std::string digits) {
  size_t i = digits.size();
  while (i-- > 0 && digits[i] == '0') digits[i] = '9';
  --digits[i];
  return digits;
}

// m × 2^k as digits d1… and a decimal exponent p: the value is 0.d1… × 10^p.
struct Decimal {
  std::string digits;
  long p;
};

Decimal ExactDecimal(uint64_t m, int k) {
  std::string digits = std::to_string(m);
  for (int i = 0; i < k; ++i) digits = MultiplySmall(digits, 2);
  for (int i = 0; i < -k; ++i) digits = MultiplySmall(digits, 5);
  const long p = static_cast<long>(digits.size()) - (k < 0 ? -k : 0);
  return {digits, p};
}

// The point halfway between the float with these bits and the next one up,
// derived from the bits alone.
Decimal HalfwayAbove(uint32_t bits) {
  auto value = [](uint32_t b, uint64_t* m, int* k) {
    const uint32_t biased = b >> 23;
    *m = (b & 0x7FFFFF) | (biased != 0 ? 0x800000 : 0);
    *k = biased != 0 ? static_cast<int>(biased) - 150 : -149;
  };
  uint64_t low = 0, high = 0;
  int lowK = 0, highK = 0;
  value(bits, &low, &lowK);
  value(bits + 1, &high, &highK);
  return ExactDecimal(low + (high << (highK - lowK)), lowK - 1);
}

std::string Scientific(const std::string& digits, long p) {
  return "0." + digits + "e" + std::to_string(p);
}

// Exactly halfway, a far-away hair above, a far-away hair below, each in a
// plain and a padded spelling: the tie goes to even bits, the hairs decide.
TEST(ReadLeadingFloat, HalfwayPointsRoundExactly) {
  std::vector<uint32_t> floats = {0x00000000, 0x00000001, 0x007FFFFE, 0x007FFFFF, 0x00800000,
                                  0x3F7FFFFF, 0x3F800000, 0x4B7FFFFF, 0x4B800000, 0x4B800001,
                                  0x7F7FFFFE, largestBits};
  std::mt19937 random(11);
  std::uniform_int_distribution<uint32_t> anyFinite(0, largestBits);
  for (int i = 0; i < 60; ++i) floats.push_back(anyFinite(random));
  const size_t hairDistances[] = {0, 250, 3000};

  for (const uint32_t bits : floats) {
    const Decimal half = HalfwayAbove(bits);
    const uint32_t even = (bits & 1) == 0 ? bits : bits + 1;
    const std::string padded = Zeros(1200) + "0." + Zeros(1300) + half.digits;
    const long paddedP = half.p + 1300;
    ASSERT_NO_FATAL_FAILURE(ExpectReading(Scientific(half.digits, half.p), {true, even}));
    ASSERT_NO_FATAL_FAILURE(ExpectReading(padded + Zeros(700) + "e" + std::to_string(paddedP),
                                          {true, even}));
    for (const size_t distance : hairDistances) {
      const std::string above = half.digits + Zeros(distance) + "1";
      const std::string below = DecrementLast(half.digits) + std::string(distance, '9') + "9";
      ASSERT_NO_FATAL_FAILURE(ExpectReading(Scientific(above, half.p), {true, bits + 1}));
      ASSERT_NO_FATAL_FAILURE(ExpectReading(Scientific(below, half.p), {true, bits}));
      ASSERT_NO_FATAL_FAILURE(ExpectReading("-" + Scientific(below, half.p),
                                            {true, bits | 0x80000000u}));
    }
  }
}

// What the C library's strtof makes of the decimal prefix that the grammar
// picks out (a regular expression, not the reader's own scanner).
Reading Reference(const std::string& text) {
  static const std::regex number("[ \t\n\v\f\r]*[+-]?([0-9]+[.]?[0-9]*|[.][0-9]+)([eE][+-]?[0-9]+)?");
  std::smatch match;
  if (!std::regex_search(text, match, number, std::regex_constants::match_continuous)) {
    return {false, 0};
  }
  const size_t end = static_cast<size_t>(match.length(0));
  if (end + 1 < text.size() && text[end] == ',' && text[end + 1] >= '0' && text[end + 1] <= '9') {
    return {false, 0};
  }
  const std::string blanks = "( |\t|\v|\f|\r|\xA0|\xC2\xA0|\xE2\x80\xAF)*";
  static const std::regex spaced(blanks + "(," + blanks + ")?[0-9]");
  const std::string rest = text.substr(end);
  if (std::regex_search(rest, spaced, std::regex_constants::match_continuous)) return {false, 0};
  return {true, Bits(std::strtof(match.str(0).c_str(), nullptr))};
}

// Text built from pieces that exercise every branch of the scanner and of the
// words it must refuse: signs, points, exponents, commas, hex prefixes,
// special words, blanks and junk.
std::string RandomText(std::mt19937& random) {
  static const char* const pieces[] = {
      "0", "1", "5", "9", "00", "12345678", "16777217", "3.4028236e38", ".", ".", "e", "E",
      "+", "-", "x", "X", "p", "a", "f", "inf", "nan", "inity", "i", "n", ",", ",", ";",
      " ", "\t", "\r", "e38", "e39", "e-38", "e-45", "e-46", "e-50", "e400", "0x", "0X1",
      "ffffff", "p-149", "#", "z", "\xd0\x92", "999999999999999999999", "\xc2\xa0", " ,"};
  std::uniform_int_distribution<int> count(0, 8);
  std::uniform_int_distribution<int> pick(0, sizeof pieces / sizeof pieces[0] - 1);
  std::string text;
  for (int n = count(random); n > 0; --n) text += pieces[pick(random)];
  return text;
}

TEST(ReadLeadingFloat, AgreesWithStrtofOnGeneratedText) {
  std::mt19937 random(20261208);
  constexpr int textCount = 100000;
  for (int i = 0; i < textCount; ++i) {
    const std::string text = RandomText(random);
    ASSERT_NO_FATAL_FAILURE(ExpectReading(text, Reference(text)));
  }
}

// Numbers with up to a few thousand digits, runs of zeros and nines where
// rounding is decided, and exponents around the edges of float's range.
std::string RandomLongNumber(std::mt19937& random) {
  std::uniform_int_distribution<int> runLength(1, 400);
  std::uniform_int_distribution<int> runKind(0, 3);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> coin(0, 1);
  std::string mantissa;
  for (int runs = std::uniform_int_distribution<int>(1, 8)(random); runs > 0; --runs) {
    const int length = runLength(random);
    const int kind = runKind(random);
    for (int i = 0; i < length; ++i) {
      mantissa += kind == 0 ? '0' : kind == 1 ? '9' : static_cast<char>('0' + digit(random));
    }
  }
  const size_t point = std::uniform_int_distribution<size_t>(0, mantissa.size())(random);
  mantissa.insert(point, ".");
  // An exponent that brings the first non-zero digit near float's range.
  const size_t first = mantissa.find_first_of("123456789");
  const long lead = first == std::string::npos ? 0
                    : first < point            ? static_cast<long>(point - first)
                                               : -static_cast<long>(first - point - 1);
  const long exponent = std::uniform_int_distribution<long>(-50, 42)(random) - lead;
  return (coin(random) ? "-" : "") + mantissa + "e" + std::to_string(exponent);
}

// glibc's strtof and mingw-w64's round long texts exactly too.
TEST(ReadLeadingFloat, AgreesWithStrtofOnLongGeneratedNumbers) {
  std::mt19937 random(1957);
  constexpr int numberCount = 20000;
  for (int i = 0; i < numberCount; ++i) {
    const std::string text = RandomLongNumber(random);
    ASSERT_NO_FATAL_FAILURE(ExpectReading(text, {true, Bits(std::strtof(text.c_str(), nullptr))}));
  }
}

}  // namespace
