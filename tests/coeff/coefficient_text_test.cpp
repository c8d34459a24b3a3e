// The text a saved coefficient file gets: shortest, and exact on the way back.
#include <cmath>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "coeff/coefficient_text.h"
#include "coeff/device_float.h"
#include "coeff/float_text.h"

namespace {

float FromBits(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

uint32_t BitsOf(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// The bits the reader makes of `text`, or a NaN's when it finds no number.
uint32_t ReadBack(const std::string& text) {
  float value = 0;
  if (ReadLeadingFloat(text.c_str(), static_cast<int>(text.size()), &value) != 0) return 0x7FC00001u;
  return BitsOf(value);
}

TEST(CoefficientText, IsTheShortestFormAndKeepsWhatDecimalsCannotShowPlainly) {
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {0.1f, "0.1"},
      {1.0f, "1"},
      {100.0f, "100"},
      {-2.5f, "-2.5"},
      {0.125f, "0.125"},
      {1e-7f, "1e-07"},
      {0.0f, "0"},
      {-0.0f, "-0.0"},
      {inf, "1e39"},
      {-inf, "-1e39"},
      {std::numeric_limits<float>::max(), "3.4028235e+38"},
      {std::numeric_limits<float>::denorm_min(), "1e-45"},
      {-std::numeric_limits<float>::denorm_min(), "-1e-45"},
      {std::numeric_limits<float>::min(), "1.1754944e-38"},
      {16777217.0f, "16777216"},
  };
  for (const auto& c : cases) {
    const std::string text = CoefficientText(c.value);
    EXPECT_EQ(text, c.text) << c.text;
    EXPECT_EQ(ReadBack(text), BitsOf(c.value)) << c.text;
  }
}

TEST(CoefficientText, EveryKindOfFloatReadsBackBitForBit) {
  std::mt19937 random(20261208);
  int checked = 0;
  // Random patterns cover normals of every exponent; the ranges near zero
  // and the top of the range are walked on purpose.
  auto check = [&](uint32_t bits) {
    const float value = FromBits(bits);
    if (std::isnan(value)) return;
    ++checked;
    const std::string text = CoefficientText(value);
    ASSERT_EQ(ReadBack(text), bits) << std::hex << bits << " as " << text;
  };
  for (int i = 0; i < 300000; ++i) check(random());
  for (uint32_t bits = 0; bits < 5000; ++bits) {
    check(bits);                // subnormals from the smallest
    check(bits | 0x80000000u);  // and their negatives
    check(0x00800000u - bits);  // up to the smallest normal
    check(0x7F800000u - bits);  // the largest finite values, and infinity
  }
  EXPECT_GT(checked, 300000);
}

TEST(CoefficientImageChecks, NanErasedAndFillerAreToldApart) {
  uint8_t image[128];
  std::memset(image, 0, sizeof image);
  std::memset(image + 112, 0xFF, 16);
  EXPECT_TRUE(NanCoefficients(image).empty());
  EXPECT_TRUE(FillerErased(image));

  std::memset(image + 4 * 2, 0xFF, 4);  // coefficient 3: erased, a NaN
  const DeviceFloat nan = ToDeviceFloat(std::numeric_limits<float>::quiet_NaN());
  std::memcpy(image + 4 * 27, nan.bytes, 4);  // coefficient 28: a NaN of another kind
  const DeviceFloat inf = ToDeviceFloat(std::numeric_limits<float>::infinity());
  std::memcpy(image + 4 * 9, inf.bytes, 4);  // coefficient 10: infinity is no NaN
  EXPECT_EQ(NanCoefficients(image), (std::vector<int>{3, 28}));
  EXPECT_TRUE(ReadsErased(image, 3));
  EXPECT_FALSE(ReadsErased(image, 28));
  EXPECT_FALSE(ReadsErased(image, 10));

  image[127] = 0xFE;
  EXPECT_FALSE(FillerErased(image));
}

TEST(CoefficientFileText, HasTwentyEightLinesWithTheGivenEnds) {
  uint8_t image[128];
  std::memset(image, 0xFF, sizeof image);
  for (int n = 1; n <= 28; ++n) {
    const DeviceFloat bytes = ToDeviceFloat(n * 0.5f);
    std::memcpy(image + 4 * (n - 1), bytes.bytes, 4);
  }
  const std::string lf = CoefficientFileText(image, "\n");
  EXPECT_EQ(lf.substr(0, 10), "0.5\n1\n1.5\n");
  EXPECT_EQ(lf.substr(lf.size() - 3), "14\n");
  EXPECT_EQ(std::count(lf.begin(), lf.end(), '\n'), 28);
  const std::string crlf = CoefficientFileText(image, "\r\n");
  EXPECT_EQ(crlf.substr(0, 12), "0.5\r\n1\r\n1.5\r");
  EXPECT_EQ(std::count(crlf.begin(), crlf.end(), '\r'), 28);
}

}  // namespace
