// Conversion of number texts and the general number format of the "div" trace.

#include "language/numbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "language/decimal_reader.h"

namespace kurovel {
namespace {

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Value of a hexadecimal digit, or -1.
constexpr int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return text;
}

// The length of the hexadecimal prefix at the start of the text ("$", "x", "X",
// "0x", "0X"), 0 when there is none.
std::size_t HexPrefixLength(std::string_view text) {
  if (text.empty()) return 0;
  if (text[0] == '$' || text[0] == 'x' || text[0] == 'X') return 1;
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return 2;
  return 0;
}

std::optional<std::int32_t> ParseHex(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    const int digit = HexValue(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint64_t>(digit);
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::optional<std::int32_t> ParseDecimal(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  // The magnitude may reach 2^31 for a negative value.
  const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
  std::uint64_t value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? 0u - static_cast<std::uint32_t>(value)
                                            : static_cast<std::uint32_t>(value));
}

}  // namespace

std::optional<std::int32_t> TextToInteger(std::string_view text) {
  text = SkipBlanks(text);
  const std::size_t prefix = HexPrefixLength(text);
  if (prefix > 0) return ParseHex(text.substr(prefix));
  return ParseDecimal(text);
}

std::int32_t TextToIntegerOr(std::string_view text, std::int32_t fallback) {
  // Most parameters are a few plain digits: nine of them cannot leave the range.
  // This path returns a plain integer, which the hot path of the executor needs.
  if (!text.empty() && text.size() <= 9) {
    std::int32_t value = 0;
    std::size_t i = 0;
    while (i < text.size() && IsDigit(text[i])) value = value * 10 + (text[i++] - '0');
    if (i == text.size()) return value;
  }
  return TextToInteger(text).value_or(fallback);
}

std::optional<double> TextToReal(std::string_view text) {
  text = SkipBlanks(text);
  std::size_t pos = 0;
  const auto digits = [&] {
    const std::size_t start = pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    return pos - start;
  };

  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  const std::size_t mantissa_start = pos;
  std::size_t mantissa_digits = digits();
  bool point = false;
  if (pos < text.size() && text[pos] == '.') {
    point = true;
    ++pos;
    mantissa_digits += digits();
  }
  if (mantissa_digits == 0 && !point) return std::nullopt;
  std::size_t number_end = pos;  // the part handed to the decimal reader
  if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    // An exponent marker without digits leaves the mantissa as it is ("1E" is 1).
    if (digits() > 0) number_end = pos;
  }
  if (SkipBlanks(text.substr(pos)).size() != 0) return std::nullopt;
  if (mantissa_digits == 0) return negative ? -0.0 : 0.0;  // "." and "-."

  const std::optional<double> value = DecimalToDouble(text.substr(mantissa_start, number_end - mantissa_start));
  if (!value) return std::nullopt;
  return negative ? -*value : *value;
}

std::string FormatGeneral(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0.0) return "0";

  // 15 significant digits, correctly rounded: "d.ddddddddddddddde[+-]x".
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
  std::string digits;
  digits += buffer[0];
  digits.append(buffer + 2, 14);
  const int exponent = std::atoi(buffer + 17);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = value < 0 ? "-" : "";
  const int before_point = exponent + 1;
  if (exponent >= -5 && before_point <= 15) {
    if (before_point <= 0) {
      out += "0.";
      out.append(static_cast<std::size_t>(-before_point), '0');
      out += digits;
    } else if (static_cast<std::size_t>(before_point) >= digits.size()) {
      out += digits;
      out.append(static_cast<std::size_t>(before_point) - digits.size(), '0');
    } else {
      out.append(digits, 0, static_cast<std::size_t>(before_point));
      out += '.';
      out.append(digits, static_cast<std::size_t>(before_point));
    }
    return out;
  }
  out += digits[0];
  if (digits.size() > 1) {
    out += '.';
    out.append(digits, 1);
  }
  out += 'E';
  out += std::to_string(exponent);
  return out;
}

}  // namespace kurovel
