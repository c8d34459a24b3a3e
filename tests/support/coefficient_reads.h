// The coefficient file read into one image that the test program keeps, so
// that a table of cases can look at its bytes after each read (and see that
// a refused read left them alone).
#pragma once

#include <cstdint>

#include "coeff/coefficient_file.h"

inline CoefficientImage testCoefficients{};
inline uint8_t* const testImage = testCoefficients.data();

inline int ReadIntoTestImage(const char* path, int* badLine = nullptr) {
  return ReadCoefficientFile(path, &testCoefficients, badLine);
}
