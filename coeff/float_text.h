// The number at the start of a coefficient file's line: after white space,
// an optional sign, digits with an optional '.', an optional exponent; the
// longest such prefix, rounded to the nearest float. '.' is the decimal point
// whatever locale the process runs in, and nothing else is a number: no
// "inf", "nan" or hexadecimal ("0x10" is 0 followed by other text).
#pragma once

#include "coeff/nearest_float.h"

// Reads one line's number a character at a time, keeping only its first
// significant digits, so that a number of any length is read exactly in a
// fixed amount of memory.
struct DecimalScan {
  // Takes the line's next character. False once the number has ended and the
  // rest of the line no longer matters.
  bool Take(char c);
  // After the last character taken: 0 and the value, or -1 when the line
  // holds no number or its number goes on with a decimal comma ("0,125"),
  // which would otherwise be read as 0 without a word.
  int Finish(float* value) const;

  enum class Part {
    blanks,        // leading white space
    afterSign,     // after the sign
    integer,       // digits before the point
    pointFirst,    // a point with no digit before it yet
    fraction,      // digits after the point
    exponentMark,  // 'e' or 'E', not yet followed by a digit
    exponentSign,  // its sign
    exponent,      // exponent digits
    comma,         // a comma right after the number
    ended,
  };
  Part part = Part::blanks;
  bool negative = false;
  bool sawDigit = false;     // a digit of the number proper (not the exponent)
  bool decimalComma = false;
  char digits[maxNearestDigits];  // significant digits from the first non-zero one
  int digitCount = 0;
  bool moreNonZero = false;  // a non-zero digit beyond those kept
  long long pointShift = 0;  // the point's place, in digits after the first significant one
  long long exponentValue = 0;
  bool exponentNegative = false;
};

// The same for a piece of text: looks at no more than `length` characters and
// stops early at a NUL. Returns 0 and sets *value, or -1.
int ReadLeadingFloat(const char* text, int length, float* value);
