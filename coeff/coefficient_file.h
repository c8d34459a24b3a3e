// The operator's coefficient file (28 lines, one number each) and the
// image it becomes in controller 1's coefficient pages.
#pragma once

#include <atomic>
#include <cstdint>

#include "loader/device_layout.h"
#include "loader/page_table.h"

constexpr int coefficientCount = 28;
constexpr int coefficientImageSize = coefficientPagesSize;
constexpr uint32_t coefficientBase = coefficientPagesStart;

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

extern uint8_t coefficientImage[coefficientImageSize];
// coefficientPageCount entries over coefficientImage once a file has been
// read; empty before.
extern PageTable coefficientTable;
// A file has been read and not yet used up by a write that reached the device.
extern std::atomic<int> coefficientsLoaded;

// Reads the file into coefficientImage. On any result but 0 the image stays
// as it was. When `badLine` is given it receives the 1-based line at fault:
// the one that holds no number (-3) or a spaced one (-6), or the first one
// missing (-5); else 0.
int ReadCoefficientFile(const char* path, int* badLine = nullptr);
