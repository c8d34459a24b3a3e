#include "coeff/nearest_float.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr uint32_t infinityBits = 0x7F800000u;
constexpr uint32_t largestFiniteBits = 0x7F7FFFFFu;
constexpr uint32_t fractionMask = 0x007FFFFFu;
constexpr uint32_t hiddenBit = 0x00800000u;
constexpr int fractionBits = 23;
// A float with biased exponent e ≥ 1 is m × 2^(e − 150), m with the hidden
// bit (bias 127 plus 23 fraction bits); a subnormal is m × 2^−149.
constexpr int exponentOffset = 150;
constexpr int subnormalExponent = -149;

// 0.d1… × 10^e lies in [10^(e−1), 10^e). Below 10^−46 a number is nearer 0
// than to the smallest subnormal (1.4e−45); from 10^39 on it is past the
// largest float (3.4e38) by more than half a step.
constexpr long long zeroUpTo = -46;
constexpr long long infinityFrom = 40;

// Leading digits a 64-bit integer holds for the first estimate.
constexpr int estimateDigits = 19;

// 32-bit words of the widest product compared: 201 digits (668 bits) times
// 2^151 or 10^39, or 10^246 (818 bits) times a 26-bit multiple of 2^104 at
// most; 1152 bits leave room.
constexpr int wideWords = 36;
static_assert(maxNearestDigits <= 200, "wideWords holds products of at most 201 digits");

// A non-negative integer, least significant word first.
struct Wide {
  uint32_t word[wideWords] = {};
};

void MultiplyAdd(Wide* x, uint32_t factor, uint32_t add) {
  uint64_t carry = add;
  for (uint32_t& word : x->word) {
    const uint64_t product = static_cast<uint64_t>(word) * factor + carry;
    word = static_cast<uint32_t>(product);
    carry = product >> 32;
  }
}

void MultiplyByPowerOfTen(Wide* x, long long power) {
  constexpr uint32_t tenToTheNinth = 1000000000u;
  for (; power >= 9; power -= 9) MultiplyAdd(x, tenToTheNinth, 0);
  for (; power > 0; --power) MultiplyAdd(x, 10, 0);
}

void ShiftLeft(Wide* x, int bits) {
  const int words = bits / 32;
  const int rest = bits % 32;
  for (int i = wideWords - 1; i >= 0; --i) {
    const int from = i - words;
    uint32_t word = from >= 0 ? x->word[from] << rest : 0;
    if (rest > 0 && from > 0) word |= x->word[from - 1] >> (32 - rest);
    x->word[i] = word;
  }
}

int Compare(const Wide& a, const Wide& b) {
  for (int i = wideWords - 1; i >= 0; --i) {
    if (a.word[i] != b.word[i]) return a.word[i] < b.word[i] ? -1 : 1;
  }
  return 0;
}

// m × 2^k.
struct Dyadic {
  uint32_t m;
  int k;
};

// The value of a non-negative float's bits; the bits of infinity give 2^128,
// the step after the largest float.
Dyadic ValueOf(uint32_t bits) {
  const int biased = static_cast<int>(bits >> fractionBits);
  if (biased == 0) return {bits & fractionMask, subnormalExponent};
  return {(bits & fractionMask) | hiddenBit, biased - exponentOffset};
}

// The point halfway between the floats with bits b and b + 1.
Dyadic HalfwayAbove(uint32_t bits) {
  const Dyadic low = ValueOf(bits);
  const Dyadic high = ValueOf(bits + 1);
  return {low.m + (high.m << (high.k - low.k)), low.k - 1};
}

// The number as numerator / denominator, both integers.
struct Exact {
  Wide numerator;
  Wide denominator;
};

int CompareWithDyadic(const Exact& x, Dyadic h) {
  Wide left = x.numerator;
  if (h.k < 0) ShiftLeft(&left, -h.k);
  Wide right = x.denominator;
  MultiplyAdd(&right, h.m, 0);
  if (h.k > 0) ShiftLeft(&right, h.k);
  return Compare(left, right);
}

// Within a step or two of the answer: double arithmetic on the leading digits
// errs by a few parts in 2^53, a float step is one part in 2^24.
uint32_t Estimate(const char* digits, int count, long long exponent) {
  const int used = count < estimateDigits ? count : estimateDigits;
  uint64_t leading = 0;
  for (int i = 0; i < used; ++i) leading = leading * 10 + static_cast<uint64_t>(digits[i] - '0');
  const double value =
      static_cast<double>(leading) * std::pow(10.0, static_cast<double>(exponent - used));
  if (!(value < FLT_MAX)) return largestFiniteBits;
  const float single = static_cast<float>(value);
  uint32_t bits;
  std::memcpy(&bits, &single, sizeof bits);
  return bits;
}

}  // namespace

float NearestFloat(const char* digits, int count, bool moreNonZero, long long exponent) {
  for (; count > maxNearestDigits; --count) moreNonZero = moreNonZero || digits[count - 1] != '0';
  uint32_t bits = 0;
  if (count <= 0 || exponent <= zeroUpTo) {
    bits = 0;
  } else if (exponent >= infinityFrom) {
    bits = infinityBits;
  } else {
    Exact x;
    MultiplyAdd(&x.denominator, 1, 1);
    for (int i = 0; i < count; ++i) {
      MultiplyAdd(&x.numerator, 10, static_cast<uint32_t>(digits[i] - '0'));
    }
    // A 1 after the kept digits stands for whatever non-zero tail followed:
    // no halfway point lies between the two, so the rounding is the same.
    int places = count;
    if (moreNonZero) {
      MultiplyAdd(&x.numerator, 10, 1);
      ++places;
    }
    const long long scale = exponent - places;
    MultiplyByPowerOfTen(scale > 0 ? &x.numerator : &x.denominator, scale > 0 ? scale : -scale);

    bits = Estimate(digits, count, exponent);
    for (;;) {
      // Ties go to the even bits.
      if (bits < infinityBits) {
        const int above = CompareWithDyadic(x, HalfwayAbove(bits));
        if (above > 0 || (above == 0 && (bits & 1) != 0)) {
          ++bits;
          continue;
        }
      }
      if (bits > 0) {
        const int below = CompareWithDyadic(x, HalfwayAbove(bits - 1));
        if (below < 0 || (below == 0 && (bits & 1) != 0)) {
          --bits;
          continue;
        }
      }
      break;
    }
  }
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
