#include "coeff/float_text.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>

namespace {

// Exponents past this say the same as it (infinity or zero); the clamp keeps
// the sum with a digit count, however long the text, in range.
constexpr long long exponentClamp = 1000000000000000LL;

// The no-break spaces a spreadsheet puts between thousands: U+00A0 and
// U+202F in UTF-8, and 0xA0 of the Windows Cyrillic code page.
const char noBreakSpace[] = "\xC2\xA0";
const char narrowNoBreakSpace[] = "\xE2\x80\xAF";
constexpr char noBreakSpace1251 = '\xA0';
const char noBreakSpaceBytes[] = "\xC2\xA0\xE2\x80\xAF";
// What a number is written with besides digits and blanks, and the comma
// that may wrongly go on with it.
const char numberMarks[] = "+-.eE,";

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWith(const char* p, const char* end, const char* prefix) {
  const size_t length = std::strlen(prefix);
  return static_cast<size_t>(end - p) >= length && std::memcmp(p, prefix, length) == 0;
}

// The bytes of the blank at p, or 0 when none starts there.
int BlankLength(const char* p, const char* end) {
  if (p == end) return 0;
  if (IsCSpace(*p) || *p == noBreakSpace1251) return 1;
  if (StartsWith(p, end, noBreakSpace)) return 2;
  if (StartsWith(p, end, narrowNoBreakSpace)) return 3;
  return 0;
}

const char* SkipBlanks(const char* p, const char* end) {
  while (const int length = BlankLength(p, end)) p += length;
  return p;
}

// The power of ten of the leading digit of the number in [p, end), whose
// syntax from_chars has checked: 2 for "123", -3 for "0.00123".
long long DecimalOrder(const char* p, const char* end) {
  long long integerDigits = 0;
  long long leadingFractionZeros = 0;
  bool afterPoint = false;
  bool significant = false;
  for (; p < end && *p != 'e' && *p != 'E'; ++p) {
    if (*p == '.') {
      afterPoint = true;
      continue;
    }
    significant = significant || *p != '0';
    if (!afterPoint && significant) ++integerDigits;
    if (afterPoint && !significant) ++leadingFractionZeros;
  }
  const long long order = integerDigits > 0 ? integerDigits - 1 : -(leadingFractionZeros + 1);
  if (p == end) return order;
  const bool negative = p + 1 < end && p[1] == '-';
  long long exponent = 0;
  for (++p; p < end; ++p) {
    if (IsDigit(*p) && exponent < exponentClamp) exponent = exponent * 10 + (*p - '0');
  }
  return order + (negative ? -exponent : exponent);
}

// What from_chars leaves unsaid past float's range: infinity for a number
// of at least 1, else zero.
float BeyondRange(const char* number, const char* end) {
  return DecimalOrder(number, end) >= 0 ? std::numeric_limits<float>::infinity() : 0.0f;
}

// Digits after blanks, or a comma and digits after blanks, go on with the
// number the operator meant, so the prefix read would be wrong.
bool NumberGoesOnAfterBlanks(const char* p, const char* end) {
  p = SkipBlanks(p, end);
  if (p < end && *p == ',') p = SkipBlanks(p + 1, end);
  return p < end && IsDigit(*p);
}

}  // namespace

int ReadLeadingFloat(const char* text, size_t length, float* value) {
  const void* nul = std::memchr(text, '\0', length);
  const char* end = nul != nullptr ? static_cast<const char*>(nul) : text + length;
  const char* p = text;
  while (p < end && IsCSpace(*p)) ++p;
  const bool negative = p < end && *p == '-';
  if (p < end && (*p == '+' || *p == '-')) ++p;
  // from_chars would also take "inf", "nan" and a second sign.
  const bool decimal = p < end && (IsDigit(*p) || (*p == '.' && p + 1 < end && IsDigit(p[1])));
  if (!decimal) return floatTextNoNumber;

  float magnitude = 0.0f;
  const std::from_chars_result read =
      std::from_chars(p, end, magnitude, std::chars_format::general);
  if (read.ec == std::errc::result_out_of_range) {
    magnitude = BeyondRange(p, read.ptr);
  } else if (read.ec != std::errc()) {
    return floatTextNoNumber;
  }
  const char* after = read.ptr;
  if (after + 1 < end && *after == ',' && IsDigit(after[1])) return floatTextNoNumber;
  if (NumberGoesOnAfterBlanks(after, end)) return floatTextSpacedNumber;
  *value = negative ? -magnitude : magnitude;
  return floatTextOk;
}

bool MayMatterToNumber(char c) {
  if (c == '\0') return false;
  return IsDigit(c) || IsCSpace(c) || std::strchr(numberMarks, c) != nullptr ||
         std::strchr(noBreakSpaceBytes, c) != nullptr;
}
