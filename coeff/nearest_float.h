// The float nearest to a decimal number given by its significant digits,
// decided exactly (ties to even), without the C library.
#pragma once

// The most significant digits NearestFloat needs. Every point halfway
// between two floats has at most 113 significant decimal digits, so the first
// 200 digits of a number and whether a non-zero digit followed them round the
// same as the whole text.
constexpr int maxNearestDigits = 200;

// The nearest float to 0.d1 d2 … dn × 10^exponent, where `digits` holds d1 to
// dn as the characters '0' to '9' (d1 not '0', n at most maxNearestDigits)
// and `moreNonZero` says that non-zero digits followed dn in the text.
// Values beyond the float range give infinity; values too small give 0.
float NearestFloat(const char* digits, int count, bool moreNonZero, long long exponent);
