#include "engine/extended_real.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>

namespace kurovel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct RoundingCase {
  std::int32_t n;
  double operand;
  std::optional<std::int64_t> expected;
};

// Each pair of exact-rounding and 64-bit-rounding results differs in the hard cases:
// the exact value lies just above (or below) k + 1/2, rounding to 64 bits lands on
// k + 1/2 itself, and the tie then goes to the even integer.
TEST(ExtendedReal, ProductRoundsToSixtyFourBitsBeforeTheInteger) {
  const RoundingCase cases[] = {
      {-1319763579, -0x1.0449dec510f3bp+12, 5496309688156},  // exactly rounded: ...157
      {1796534015, 0x1.780ae8ea89b18p+12, 10809173626644},   // exactly rounded: ...645
      {53958930, 0x1.e46b87e08554ep+17, 13383059015986},     // exactly rounded: ...987
      {227541558, 0x1.2e22e9616fb4bp+15, 8799818390870},     // exactly rounded: ...869
      {-1026351389, -0x1.39df7736d0132p+12, 5154302400562},  // exactly rounded: ...561
      {5, 0.5, 2}, {7, 0.5, 4}, {5, -0.5, -2}, {-7, 0.5, -4}, {5, 1.5, 8}, {3, 0.1, 0}, {kMax, 2.0, 4294967294},
      {0, -3.5, 0}, {kMin, 0x1p-1074, 0}, {kMax, DBL_MIN, 0}, {1, 0.5, 0}, {1, 0x1.0000000000001p-1, 1},
      {kMin, 4294967296.0, INT64_MIN},  // exactly -2^63 fits
      {kMin, -4294967296.0, std::nullopt}, {kMax, 4294967298.0, 9223372036854775806},
      {kMax, 4294967300.0, std::nullopt}, {10, 1e300, std::nullopt},
      {kMax, DBL_MAX, std::nullopt}, {0, kInf, std::nullopt}, {3, kInf, std::nullopt}, {3, kNaN, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RoundHalfEven(ExtendedProduct(c.n, c.operand)), c.expected) << c.n << " * " << c.operand;
  }
}

TEST(ExtendedReal, QuotientRoundsToSixtyFourBitsBeforeTheInteger) {
  const RoundingCase cases[] = {
      {791153466, 0x1.e19eec9108899p-15, 13779878967932},     // exactly rounded: ...933
      {1953942575, 0x1.562bc6bf98fa1p-12, 5987816854960},     // exactly rounded: ...959
      {-744280466, -0x1.c2342461986f2p-14, 6934058235018},    // exactly rounded: ...019
      {-2046759824, -0x1.8f2057307f179p-11, 2688601409774},   // exactly rounded: ...773
      {1994297453, 0x1.5e9721d9f16fep-11, 2982358734000},     // exactly rounded: ...3999
      {10, 4.0, 2}, {6, 4.0, 2}, {-10, 4.0, -2}, {10, 1.5, 7}, {10, 0.000001, 10000000}, {10, 1e20, 0},
      {0, 7.0, 0}, {1, 3.0, 0}, {2, 3.0, 1}, {kMin, -1.0, 2147483648}, {kMin, 0x1p-32, INT64_MIN},
      {kMin, -0x1p-32, std::nullopt}, {10, 1e-300, std::nullopt}, {1, 0x1p-1074, std::nullopt},
      {5, kInf, 0}, {-5, -kInf, 0}, {5, 0.0, std::nullopt}, {0, 0.0, std::nullopt}, {5, kNaN, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RoundHalfEven(ExtendedQuotient(c.n, c.operand)), c.expected) << c.n << " / " << c.operand;
  }
}

TEST(ExtendedReal, SignificandIsNormalisedToBitSixtyThree) {
  const struct {
    ExtendedReal value;
    bool negative;
    std::uint64_t significand;
    std::int32_t exponent;
  } cases[] = {
      {ExtendedProduct(3, 0.5), false, 0xC000000000000000u, -63},
      {ExtendedProduct(-1, 0x1p-1074), true, 0x8000000000000000u, -1137},
      {ExtendedQuotient(1, 3.0), false, 0xAAAAAAAAAAAAAAABu, -65},  // 0.1010...1|011 rounds up
      {ExtendedQuotient(2, -3.0), true, 0xAAAAAAAAAAAAAAABu, -64},
      {ExtendedQuotient(kMax, 0x1.fffffffffffffp+1023), false, 0xFFFFFFFE00000800u, -1057},
      {ExtendedProduct(kMax, 0x1.fffffffffffffp-1), false, 0xFFFFFFFDFFFFF800u, -33},  // 84 bits rounded
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.value.negative, c.negative);
    EXPECT_EQ(c.value.significand, c.significand);
    EXPECT_EQ(c.value.exponent, c.exponent);
  }
}

#if defined(__x86_64__) && LDBL_MANT_DIG == 64

// The value as the x87 holds it after the same operation.
ExtendedReal FromLongDouble(long double value) {
  ExtendedReal out;
  out.negative = std::signbit(value);
  out.finite = std::isfinite(value);
  if (!out.finite || value == 0) return out;
  int exponent = 0;
  const long double fraction = std::frexp(std::fabs(value), &exponent);
  out.significand = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
  out.exponent = exponent - 64;
  return out;
}

std::optional<std::int64_t> RoundLongDouble(long double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const long double rounded = std::rint(value);
  if (rounded < -9223372036854775808.0L || rounded >= 9223372036854775808.0L) return std::nullopt;
  return static_cast<std::int64_t>(rounded);
}

void ExpectSame(const ExtendedReal& ours, long double x87, std::int32_t n, double operand, char op) {
  const ExtendedReal expected = FromLongDouble(x87);
  ASSERT_EQ(ours.finite, expected.finite) << n << op << operand;
  if (expected.finite && expected.significand != 0) {
    ASSERT_EQ(ours.negative, expected.negative) << n << op << operand;
    ASSERT_EQ(ours.significand, expected.significand) << n << op << std::hexfloat << operand;
    ASSERT_EQ(ours.exponent, expected.exponent) << n << op << operand;
  }
  ASSERT_EQ(RoundHalfEven(ours), RoundLongDouble(x87)) << n << op << std::hexfloat << operand;
}

// Operands of every kind: random bit patterns over the whole double range, values
// a few units in the last place from n * f or n / f landing on k + 1/2, and short decimals.
double RandomOperand(std::mt19937_64& rng, std::int32_t n, bool for_quotient) {
  switch (rng() % 4) {
    case 0: {
      const std::uint64_t bits = rng();
      double value = 0;
      static_assert(sizeof value == sizeof bits);
      std::memcpy(&value, &bits, sizeof value);
      return value;
    }
    case 1:
    case 2: {
      const long double target = static_cast<long double>(rng() >> (rng() % 64)) + 0.5L;
      double value = for_quotient ? static_cast<double>(n / target) : static_cast<double>(target / n);
      const int steps = static_cast<int>(rng() % 7) - 3;
      for (int i = 0; i < std::abs(steps); ++i) value = std::nextafter(value, steps > 0 ? kInf : -kInf);
      return value;
    }
    default:
      return static_cast<double>(static_cast<std::int64_t>(rng() % 2000001) - 1000000) / 1000.0;
  }
}

TEST(ExtendedReal, MatchesTheX87OnRandomOperands) {
  std::mt19937_64 rng(20261208);
  for (int i = 0; i < 300000; ++i) {
    const int width = static_cast<int>(rng() % 32);
    auto n = static_cast<std::int32_t>(static_cast<std::uint32_t>(rng()) >> width);
    if (rng() & 1) n = static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(n));
    const double f = RandomOperand(rng, n == 0 ? 1 : n, false);
    const long double product = static_cast<long double>(n) * static_cast<long double>(f);
    ASSERT_NO_FATAL_FAILURE(ExpectSame(ExtendedProduct(n, f), product, n, f, '*'));
    const double d = RandomOperand(rng, n == 0 ? 1 : n, true);
    if (d == 0) continue;
    const long double quotient = static_cast<long double>(n) / static_cast<long double>(d);
    ASSERT_NO_FATAL_FAILURE(ExpectSame(ExtendedQuotient(n, d), quotient, n, d, '/'));
  }
}

#endif

}  // namespace
}  // namespace kurovel
