// Rounding of reals to 64-bit integers, ties to even.

#include "engine/rounding.h"

#include <cmath>

namespace kurovel {

std::optional<std::int64_t> RoundHalfEven(long double value) {
  if (!std::isfinite(value)) return std::nullopt;
  // Under the default rounding mode rint rounds to the nearest, ties to even. It
  // differs from nearbyint only in raising the inexact flag, which nobody reads,
  // and it avoids saving and restoring the whole x87 environment on every call.
  const long double rounded = std::rint(value);
  // -2^63 is representable, 2^63 is the first value out of range.
  constexpr long double kLow = -9223372036854775808.0L;
  constexpr long double kHigh = 9223372036854775808.0L;
  if (rounded < kLow || rounded >= kHigh) return std::nullopt;
  return static_cast<std::int64_t>(rounded);
}

}  // namespace kurovel
