// The number at the start of a coefficient file's line: after white space,
// an optional sign, digits with an optional '.', an optional exponent; the
// longest such prefix, rounded to the nearest float by the standard library.
// '.' is the decimal point whatever locale the process runs in, and nothing
// else is a number: no "inf", "nan" or hexadecimal ("0x10" is 0 followed by
// other text).
#pragma once

#include <cstddef>

// ReadLeadingFloat's results.
constexpr int floatTextOk = 0;
// No number, or one that goes on with a decimal comma ("0,125"), which would
// otherwise be read as 0 without a word.
constexpr int floatTextNoNumber = -1;
// Digits, or a comma and digits, after blanks ("1 000,5", "0, 5"): a
// thousands separator or a spaced decimal comma, not text after the number.
constexpr int floatTextSpacedNumber = -2;

// Looks at no more than `length` characters and stops early at a NUL.
// Returns floatTextOk and sets *value, or one of the refusals above. Other
// text after the number is ignored ("1.5e2 kV" is 150).
int ReadLeadingFloat(const char* text, size_t length, float* value);

// False for a character at which ReadLeadingFloat surely stops looking, so
// that a reader of a stream can judge a line there and skip the rest.
bool MayMatterToNumber(char c);
