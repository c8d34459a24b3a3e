#include "coeff/float_text.h"

namespace {

// Exponents past this say the same as it (infinity or zero); the clamp keeps
// the sum with a digit count, however long the text, in range.
constexpr long long exponentClamp = 1000000000000000LL;

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsExponentMark(char c) { return c == 'e' || c == 'E'; }

void TakeDigit(DecimalScan* scan, char c, bool beforePoint) {
  scan->sawDigit = true;
  if (scan->digitCount == 0 && c == '0') {
    // A zero ahead of the first significant digit only moves the point.
    if (!beforePoint) --scan->pointShift;
    return;
  }
  if (beforePoint) ++scan->pointShift;
  if (scan->digitCount < maxNearestDigits) {
    scan->digits[scan->digitCount++] = c;
  } else if (c != '0') {
    scan->moreNonZero = true;
  }
}

// Where a character other than a digit leaves a number that has digits.
DecimalScan::Part AfterDigits(char c) {
  if (IsExponentMark(c)) return DecimalScan::Part::exponentMark;
  return c == ',' ? DecimalScan::Part::comma : DecimalScan::Part::ended;
}

}  // namespace

bool DecimalScan::Take(char c) {
  using P = Part;
  switch (part) {
    case P::blanks:
      if (IsCSpace(c)) return true;
      if (c == '+' || c == '-') {
        negative = c == '-';
        part = P::afterSign;
        return true;
      }
      [[fallthrough]];
    case P::afterSign:
      if (IsDigit(c)) {
        TakeDigit(this, c, true);
        part = P::integer;
      } else {
        part = c == '.' ? P::pointFirst : P::ended;
      }
      break;
    case P::integer:
      if (IsDigit(c)) {
        TakeDigit(this, c, true);
      } else {
        part = c == '.' ? P::fraction : AfterDigits(c);
      }
      break;
    case P::pointFirst:
      if (IsDigit(c)) {
        TakeDigit(this, c, false);
        part = P::fraction;
      } else {
        part = P::ended;
      }
      break;
    case P::fraction:
      if (IsDigit(c)) {
        TakeDigit(this, c, false);
      } else {
        part = AfterDigits(c);
      }
      break;
    case P::exponentMark:
      if (c == '+' || c == '-') {
        exponentNegative = c == '-';
        part = P::exponentSign;
        break;
      }
      [[fallthrough]];
    case P::exponentSign:
    case P::exponent:
      if (IsDigit(c)) {
        if (exponentValue < exponentClamp) exponentValue = exponentValue * 10 + (c - '0');
        part = P::exponent;
      } else {
        // An 'e' without exponent digits is text after the number.
        part = part == P::exponent && c == ',' ? P::comma : P::ended;
      }
      break;
    case P::comma:
      decimalComma = IsDigit(c);
      part = P::ended;
      break;
    case P::ended:
      break;
  }
  return part != P::ended;
}

int DecimalScan::Finish(float* value) const {
  if (!sawDigit || decimalComma) return -1;
  const long long exponent = exponentNegative ? -exponentValue : exponentValue;
  const float magnitude = NearestFloat(digits, digitCount, moreNonZero, pointShift + exponent);
  *value = negative ? -magnitude : magnitude;
  return 0;
}

int ReadLeadingFloat(const char* text, int length, float* value) {
  DecimalScan scan;
  for (int i = 0; i < length && text[i] != '\0' && scan.Take(text[i]); ++i) {
  }
  return scan.Finish(value);
}
