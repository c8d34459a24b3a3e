// The text a saved coefficient file gets: shortest, and exact on the way back.
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "coeff/coefficient_text.h"
#include "coeff/float_text.h"
#include "tests/coeff/float_bits.h"

namespace {

// The bits the file reader makes of `text`; a NaN's when it finds no number.
uint32_t ReadBack(const std::string& text) {
  float value = std::numeric_limits<float>::quiet_NaN();
  ReadLeadingFloat(text.c_str(), static_cast<int>(text.size()), &value);
  return Bits(value);
}

TEST(CoefficientText, IsTheShortestTextThatReadsBackBitForBit) {
  using limits = std::numeric_limits<float>;
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {0.1f, "0.1"},        {1.0f, "1"},          {-2.5f, "-2.5"},
      {1e-7f, "1e-07"},     {0.0f, "0"},          {-0.0f, "-0.0"},
      {limits::infinity(), "1e39"},               {-limits::infinity(), "-1e39"},
      {limits::max(), "3.4028235e+38"},           {-limits::denorm_min(), "-1e-45"},
      {limits::min(), "1.1754944e-38"},           {16777217.0f, "16777216"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CoefficientText(c.value), c.text);
    EXPECT_EQ(ReadBack(c.text), Bits(c.value)) << c.text;
  }
  // Random patterns cover normals of every exponent; subnormals and the top
  // of the range are walked on purpose.
  std::mt19937 random(20261208);
  std::vector<uint32_t> patterns;
  for (int i = 0; i < 300000; ++i) patterns.push_back(random());
  for (uint32_t k = 0; k < 5000; ++k) {
    patterns.insert(patterns.end(), {k, k | 0x80000000u, 0x00800000u - k, 0x7F800000u - k});
  }
  for (uint32_t bits : patterns) {
    const float value = FromBits(bits);
    if (std::isnan(value)) continue;
    ASSERT_EQ(ReadBack(CoefficientText(value)), bits) << std::hex << bits;
  }
}

}  // namespace
