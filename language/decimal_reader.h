#pragma once
// Decimal text to double, correctly rounded (ties to even), without the C++
// library's floating-point from_chars or the C locale's decimal point.

#include <optional>
#include <string_view>

namespace kurovel {

// `number` is digits with an optional "." and more digits (at least one digit in
// all), then optionally "E" or "e", an optional sign and at least one digit; no
// sign in front. A value that rounds to infinity is nullopt; a non-zero value
// too small for a double reads as 0.
std::optional<double> DecimalToDouble(std::string_view number);

}  // namespace kurovel
