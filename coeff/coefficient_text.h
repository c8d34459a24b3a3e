// The way back from the device: the 128 bytes read from controller 1 turned
// into the text of a coefficient file that reads in to the very same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The shortest decimal text that reads back as exactly `value`: 0.1 gives
// "0.1", -0 gives "-0.0", and infinity "1e39" (-infinity "-1e39"), numbers
// too large for a float that round to it. A NaN has no such text: the caller
// refuses it beforehand.
std::string CoefficientText(float value);

// The numbers (1..28) of the coefficients in `image` that are NaN.
std::vector<int> NanCoefficients(const uint8_t* image);

// Coefficient n (1..28) reads FF FF FF FF, as in an erased page.
bool ReadsErased(const uint8_t* image, int n);

// Bytes 112..127 are all 0xFF, as a file's image always has them.
bool FillerErased(const uint8_t* image);

// The 28 lines, each ended by `lineEnd`. Only for an image without NaN.
std::string CoefficientFileText(const uint8_t* image, const char* lineEnd);
