#include "firmware/default_coefficients.h"

#include "coeff/coefficient_file.h"
#include "coeff/device_float.h"
#include "link/device_layout.h"

namespace {

constexpr int deviceFloatSize = 4;

// The positions (1-based) that hold 1.0 by default; the gains of the device.
constexpr int defaultCoefficientOnes[] = {7, 11, 20, 28};

}  // namespace

DefaultCoefficientImage DefaultCoefficients() {
  DefaultCoefficientImage image;
  image.fill(erasedByte);
  for (int n = 1; n <= coefficientCount; ++n) {
    float value = 0.0f;
    for (const int one : defaultCoefficientOnes) {
      if (n == one) value = 1.0f;
    }
    const DeviceFloat bytes = ToDeviceFloat(value);
    for (int i = 0; i < deviceFloatSize; ++i) image[deviceFloatSize * (n - 1) + i] = bytes.bytes[i];
  }
  return image;
}
