// 64-bit-significand arithmetic on a 128-bit integer: the exact product or a quotient
// with more than 64 bits plus a sticky remainder, then one rounding step.

#include "engine/extended_real.h"

#include <bit>
#include <cstring>

namespace kurovel {
namespace {

// Supported by gcc and clang on every 64-bit target and on wasm32.
__extension__ typedef unsigned __int128 U128;

constexpr int kSignificandBits = 64;
constexpr int kDoubleFractionBits = 52;
constexpr int kDoubleExponentBias = 1023;
constexpr int kDoubleMaxBiasedExponent = 0x7FF;

// A double as sign, integer significand and power of two.
struct DoubleParts {
  bool negative = false;
  bool finite = true;
  bool infinite = false;
  std::uint64_t significand = 0;  // 0 only for a zero
  std::int32_t exponent = 0;
};

DoubleParts Split(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << kDoubleFractionBits) - 1);
  const int biased = static_cast<int>(bits >> kDoubleFractionBits) & kDoubleMaxBiasedExponent;
  DoubleParts parts;
  parts.negative = (bits >> 63) != 0;
  if (biased == kDoubleMaxBiasedExponent) {
    parts.finite = false;
    parts.infinite = fraction == 0;
  } else if (biased == 0) {  // zero or subnormal
    parts.significand = fraction;
    parts.exponent = 1 - kDoubleExponentBias - kDoubleFractionBits;
  } else {
    parts.significand = fraction | (std::uint64_t{1} << kDoubleFractionBits);
    parts.exponent = biased - kDoubleExponentBias - kDoubleFractionBits;
  }
  return parts;
}

std::uint64_t Magnitude(std::int32_t n) {
  return n < 0 ? 0u - static_cast<std::uint64_t>(static_cast<std::int64_t>(n)) : static_cast<std::uint64_t>(n);
}

int BitLength(U128 value) {
  const auto high = static_cast<std::uint64_t>(value >> 64);
  return high != 0 ? 64 + std::bit_width(high) : std::bit_width(static_cast<std::uint64_t>(value));
}

ExtendedReal NotFinite(bool negative) { return {negative, false, 0, 0}; }

// (magnitude + a fraction below one that is non-zero when `sticky`) * 2^exponent,
// rounded to 64 significant bits, ties to even.
ExtendedReal Round(bool negative, U128 magnitude, std::int32_t exponent, bool sticky) {
  if (magnitude == 0) return {negative, true, 0, 0};
  const int length = BitLength(magnitude);
  if (length <= kSignificandBits) {
    // Exact: the callers pass a sticky remainder only with more than 64 bits.
    const int shift = kSignificandBits - length;
    return {negative, true, static_cast<std::uint64_t>(magnitude << shift), exponent - shift};
  }
  const int drop = length - kSignificandBits;
  U128 kept = magnitude >> drop;
  const U128 rest = magnitude & ((U128{1} << drop) - 1);
  const U128 half = U128{1} << (drop - 1);
  if (rest > half || (rest == half && (sticky || (kept & 1) != 0))) ++kept;
  exponent += drop;
  if (kept >> kSignificandBits != 0) {  // rounded up to 2^64
    kept >>= 1;
    ++exponent;
  }
  return {negative, true, static_cast<std::uint64_t>(kept), exponent};
}

}  // namespace

ExtendedReal ExtendedProduct(std::int32_t n, double factor) {
  const DoubleParts f = Split(factor);
  const bool negative = (n < 0) != f.negative;
  if (!f.finite) return NotFinite(negative);
  // At most 32 + 53 bits: the product is exact before the one rounding.
  return Round(negative, U128{Magnitude(n)} * f.significand, f.exponent, false);
}

ExtendedReal ExtendedQuotient(std::int32_t n, double divisor) {
  const DoubleParts d = Split(divisor);
  const bool negative = (n < 0) != d.negative;
  if (!d.finite) return d.infinite ? ExtendedReal{negative, true, 0, 0} : NotFinite(negative);
  if (d.significand == 0) return NotFinite(negative);
  const std::uint64_t a = Magnitude(n);
  if (a == 0) return {negative, true, 0, 0};
  // The dividend moved to the top of 128 bits over a divisor below 2^53 leaves a
  // quotient of more than 74 bits: enough for 64 bits, a rounding bit and a sticky bit.
  const int shift = 128 - std::bit_width(a);
  const U128 dividend = U128{a} << shift;
  const U128 quotient = dividend / d.significand;
  const bool sticky = dividend % d.significand != 0;
  return Round(negative, quotient, -shift - d.exponent, sticky);
}

std::optional<std::int64_t> RoundHalfEven(const ExtendedReal& value) {
  if (!value.finite) return std::nullopt;
  if (value.significand == 0) return 0;
  constexpr std::uint64_t kTwoTo63 = std::uint64_t{1} << 63;
  if (value.exponent >= 0) {
    // The significand alone is at least 2^63: only -2^63 itself fits.
    if (value.negative && value.exponent == 0 && value.significand == kTwoTo63) return INT64_MIN;
    return std::nullopt;
  }
  const int shift = -value.exponent;
  if (shift > kSignificandBits) return 0;  // below one half
  const U128 significand = value.significand;
  U128 integer = significand >> shift;
  const U128 rest = significand & ((U128{1} << shift) - 1);
  const U128 half = U128{1} << (shift - 1);
  if (rest > half || (rest == half && (integer & 1) != 0)) ++integer;
  if (integer > kTwoTo63 || (integer == kTwoTo63 && !value.negative)) return std::nullopt;
  const auto magnitude = static_cast<std::uint64_t>(integer);
  return static_cast<std::int64_t>(value.negative ? 0u - magnitude : magnitude);
}

}  // namespace kurovel
