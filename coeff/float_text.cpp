#include "coeff/float_text.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace {

constexpr uint32_t signBit = 0x80000000u;
constexpr uint32_t infinityBits = 0x7F800000u;
constexpr uint32_t quietNanBits = 0x7FC00000u;  // what the C library gives for "nan"
// Exponents are only needed to tell overflow from underflow; beyond this
// they say the same.
constexpr long exponentClamp = 1000000;
constexpr int bitsPerHexDigit = 4;

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

float FromBits(uint32_t bits) {
  float result;
  std::memcpy(&result, &bits, sizeof result);
  return result;
}

// Case-insensitive match of `word` at text[at..end); NUL never matches.
bool MatchesWord(const char* text, int at, int end, const char* word) {
  for (; *word != '\0'; ++word, ++at) {
    if (at >= end || Lower(text[at]) != *word) return false;
  }
  return true;
}

// "nan", "inf" or "infinity" at text[at]; returns -1 when the spelling starts
// but is not one of them, as the C library then rejects the whole field.
int ReadSpecial(const char* text, int at, int end, bool negative, float* value) {
  const uint32_t sign = negative ? signBit : 0;
  if (Lower(text[at]) == 'n') {
    if (!MatchesWord(text, at, end, "nan")) return -1;
    *value = FromBits(quietNanBits | sign);
    return 0;
  }
  if (!MatchesWord(text, at, end, "inf")) return -1;
  // Once past "inf" an 'i' commits to the full "infinity".
  if (at + 3 < end && Lower(text[at + 3]) == 'i' && !MatchesWord(text, at, end, "infinity")) {
    return -1;
  }
  *value = FromBits(infinityBits | sign);
  return 0;
}

// The characters the C library's scanner gathers for a number: as many as
// could still be the start of one. Returns the end of that field.
int GatherField(const char* text, int at, int end, bool* hex) {
  bool gotDigit = false;
  bool gotDot = false;
  bool gotExponent = false;
  char exponentChar = 'e';
  *hex = false;
  int pos = at;
  if (pos < end && text[pos] == '0') {
    ++pos;
    if (pos < end && Lower(text[pos]) == 'x') {
      *hex = true;
      exponentChar = 'p';
      ++pos;
    } else {
      gotDigit = true;
    }
  }
  for (; pos < end; ++pos) {
    const char c = text[pos];
    if (IsDigit(c) || (*hex && !gotExponent && IsHexDigit(c))) {
      gotDigit = true;
    } else if (gotExponent && Lower(text[pos - 1]) == exponentChar && (c == '+' || c == '-')) {
      // the exponent's sign
    } else if (gotDigit && !gotExponent && Lower(c) == exponentChar) {
      gotExponent = true;
      gotDot = true;
    } else if (!gotDot && c == '.') {
      gotDot = true;
    } else {
      break;
    }
  }
  return pos;
}

// Where the leading significant digit sits, as a power of the radix's
// exponent unit (decimal digits, or bits for hex): positive means the field
// is at least about 1. Only asked for fields out of float's range, which lie
// far to one side of 1.
long Magnitude(const char* text, int at, int end, bool hex) {
  const char exponentChar = hex ? 'p' : 'e';
  const long digitWeight = hex ? bitsPerHexDigit : 1;
  long position = 0;  // digits before the point, counted from the first non-zero one
  bool seenNonZero = false;
  bool afterPoint = false;
  int pos = at;
  for (; pos < end && Lower(text[pos]) != exponentChar; ++pos) {
    const char c = text[pos];
    if (c == '.') {
      afterPoint = true;
    } else if (!afterPoint) {
      if (seenNonZero || c != '0') ++position;
      seenNonZero = seenNonZero || c != '0';
    } else if (!seenNonZero) {
      if (c == '0') --position;
      else seenNonZero = true;
    }
  }
  long exponent = 0;
  bool negativeExponent = false;
  if (pos < end) ++pos;
  if (pos < end && (text[pos] == '+' || text[pos] == '-')) negativeExponent = text[pos++] == '-';
  for (; pos < end && IsDigit(text[pos]); ++pos) {
    if (exponent < exponentClamp) exponent = exponent * 10 + (text[pos] - '0');
  }
  return position * digitWeight + (negativeExponent ? -exponent : exponent);
}

}  // namespace

int ReadLeadingFloat(const char* text, int length, float* value) {
  int end = 0;
  while (end < length && text[end] != '\0') ++end;
  int pos = 0;
  while (pos < end && IsCSpace(text[pos])) ++pos;
  bool negative = false;
  if (pos < end && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  if (pos >= end) return -1;
  if (Lower(text[pos]) == 'n' || Lower(text[pos]) == 'i') {
    return ReadSpecial(text, pos, end, negative, value);
  }

  bool hex = false;
  const int fieldEnd = GatherField(text, pos, end, &hex);
  const int hexPrefix = 2;
  if (fieldEnd == pos || (hex && fieldEnd == pos + hexPrefix)) return -1;

  // The conversion takes the longest number the field starts with ("1e+"
  // gives 1); a hex field without a digit after "0x" is its leading 0.
  const int digits = hex ? pos + hexPrefix : pos;
  float magnitude = 0.0f;
  const std::from_chars_result parsed =
      std::from_chars(text + digits, text + fieldEnd, magnitude,
                      hex ? std::chars_format::hex : std::chars_format::general);
  if (parsed.ec == std::errc::invalid_argument) {
    if (!hex) return -1;
    magnitude = 0.0f;
  } else if (parsed.ec == std::errc::result_out_of_range) {
    const bool overflow = Magnitude(text, digits, fieldEnd, hex) > 0;
    magnitude = overflow ? FromBits(infinityBits) : 0.0f;
  }
  *value = negative ? -magnitude : magnitude;
  return 0;
}
