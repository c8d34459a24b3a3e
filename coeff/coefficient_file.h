// The operator's coefficient file (28 lines, one number each) and the
// image it becomes in controller 1's coefficient pages.
#pragma once

#include <array>
#include <cstdint>

#include "link/device_layout.h"

constexpr int coefficientCount = 28;
constexpr int coefficientImageSize = coefficientPagesSize;

// The bytes a file becomes: the 28 floats as the device keeps them, then the
// erased filler of the second page.
using CoefficientImage = std::array<uint8_t, coefficientImageSize>;

// ReadCoefficientFile's results.
constexpr int coefficientFileOk = 0;
constexpr int coefficientFileUnopenable = -1;
constexpr int coefficientFileNoSize = -2;
constexpr int coefficientFileNotANumber = -3;
constexpr int coefficientFileTooLong = -4;
constexpr int coefficientFileTooShort = -5;
// A number goes on after blanks, or after a comma and blanks ("1 000,5",
// "0, 5"): taking its first digits alone would write a wrong value.
constexpr int coefficientFileSpacedNumber = -6;
// A pipe, a terminal or a device: reading one would wait for whoever writes.
constexpr int coefficientFileNotRegular = -7;

// Reads the file into *image. On any result but 0 the image stays as it
// was. When `badLine` is given it receives the 1-based line at fault: the one
// that holds no number (-3) or a spaced one (-6), or the first one missing
// (-5); else 0.
int ReadCoefficientFile(const char* path, CoefficientImage* image, int* badLine = nullptr);
