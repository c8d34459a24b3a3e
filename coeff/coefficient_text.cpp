#include "coeff/coefficient_text.h"

#include <charconv>
#include <cmath>

#include "coeff/coefficient_file.h"
#include "coeff/device_float.h"
#include "link/device_layout.h"

namespace {

constexpr int deviceFloatSize = 4;
// Longer than any float's shortest form ("-1.1754942e-38" is 14).
constexpr int floatTextSize = 32;
constexpr int fillerStart = coefficientCount * deviceFloatSize;

float Coefficient(const uint8_t* image, int n) {
  DeviceFloat bytes;
  for (int i = 0; i < deviceFloatSize; ++i) bytes.bytes[i] = image[(n - 1) * deviceFloatSize + i];
  return FromDeviceFloat(bytes);
}

}  // namespace

std::string CoefficientText(float value) {
  if (std::isinf(value)) return value > 0 ? "1e39" : "-1e39";
  if (value == 0 && std::signbit(value)) return "-0.0";
  char text[floatTextSize];
  const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
  return std::string(text, written.ptr);
}

std::vector<int> NanCoefficients(const uint8_t* image) {
  std::vector<int> numbers;
  for (int n = 1; n <= coefficientCount; ++n) {
    if (std::isnan(Coefficient(image, n))) numbers.push_back(n);
  }
  return numbers;
}

bool ReadsErased(const uint8_t* image, int n) {
  for (int i = 0; i < deviceFloatSize; ++i) {
    if (image[(n - 1) * deviceFloatSize + i] != erasedByte) return false;
  }
  return true;
}

bool FillerErased(const uint8_t* image) {
  for (int i = fillerStart; i < coefficientImageSize; ++i) {
    if (image[i] != erasedByte) return false;
  }
  return true;
}

std::string CoefficientFileText(const uint8_t* image, const char* lineEnd) {
  std::string text;
  for (int n = 1; n <= coefficientCount; ++n) {
    text += CoefficientText(Coefficient(image, n)) + lineEnd;
  }
  return text;
}
