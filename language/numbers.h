#pragma once
// Number texts of the command language.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kurovel {

// Optional leading blanks (0x20), optional sign, decimal digits to the very end,
// within the 32-bit range; or "$", "x", "X", "0x", "0X" and hexadecimal digits up to
// FFFFFFFF, read as two's complement. Anything else (empty text, trailing
// characters, out of range) is nullopt.
std::optional<std::int32_t> TextToInteger(std::string_view text);
// TextToInteger with the caller's fallback for a text that does not convert.
std::int32_t TextToIntegerOr(std::string_view text, std::int32_t fallback);

// Optional leading blanks, optional sign, digits with an optional "." and more
// digits (at least one digit or the point), an optional exponent "E"/"e" with
// optional sign and optional digits, optional trailing blanks. nullopt when the
// text has another form or the value does not fit a double.
std::optional<double> TextToReal(std::string_view text);

// The general number format of the "div" trace: fixed notation when the
// magnitude is at least 0.00001 and at most 15 digits stand before the point,
// otherwise scientific ("1E-6", "1.5E20"); at most 15 significant digits, no
// trailing zeros.
std::string FormatGeneral(double value);

}  // namespace kurovel
