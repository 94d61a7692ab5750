#pragma once
// Products and quotients of a 32-bit integer and a double, rounded to a 64-bit
// significand (ties to even): the x87 extended format that moves, "mlt" and "div"
// were first computed in. Done in integer arithmetic so that every compiler and
// target (x86-64, wasm32) gives the same bits.

#include <cstdint>
#include <optional>

namespace kurovel {

// significand * 2^exponent with the sign in front; the significand is 0 or has bit 63 set.
struct ExtendedReal {
  bool negative = false;
  bool finite = true;  // false for the infinities and NaN
  std::uint64_t significand = 0;
  std::int32_t exponent = 0;
};

// n * factor, correctly rounded to 64 significant bits.
ExtendedReal ExtendedProduct(std::int32_t n, double factor);
// n / divisor, correctly rounded to 64 significant bits; not finite for a zero divisor.
ExtendedReal ExtendedQuotient(std::int32_t n, double divisor);

// Nearest integer, ties to even; nullopt when the value is not finite or the
// result lies outside the 64-bit range.
std::optional<std::int64_t> RoundHalfEven(const ExtendedReal& value);

}  // namespace kurovel
