#include "language/decimal_reader.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace kurovel {
namespace {

// The reading the language had before: the library's from_chars, with a value
// rounding to infinity refused and one rounding to zero read as zero.
std::optional<double> LibraryReading(const std::string& number) {
  double value = 0;
  const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  EXPECT_EQ(ptr, number.data() + number.size()) << number;
  if (ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone; strtod tells overflow from underflow.
    if (std::isinf(std::strtod(number.c_str(), nullptr))) return std::nullopt;
    return 0.0;
  }
  return value;
}

std::string Repeat(char c, std::size_t count) { return std::string(count, c); }

// The decimal expansion of a value that a long double holds exactly.
std::string ExactDecimal(long double value) {
  char buffer[1200];
  std::snprintf(buffer, sizeof buffer, "%.1100Le", value);
  std::string text = buffer;
  const std::size_t e = text.find('e');
  std::size_t last = e - 1;
  while (text[last] == '0') --last;
  if (text[last] == '.') --last;
  return text.substr(0, last + 1) + text.substr(e);
}

TEST(DecimalToDouble, KnownValues) {
  const std::pair<std::string, std::optional<double>> cases[] = {
      {"0", 0.0}, {"000.000e5", 0.0}, {"1", 1.0}, {"1.5", 1.5}, {".5", 0.5}, {"5.", 5.0}, {"1.e5", 1e5},
      {"0.1", 0.1}, {"123456789012345678901234567890", 1.2345678901234568e29}, {"1e22", 1e22}, {"1e23", 1e23},
      {"9007199254740993", 9007199254740992.0},  // the midpoint above 2^53 ties to even
      {"9007199254740995", 9007199254740996.0}, {"9007199254740993.0000000000000000000001", 9007199254740994.0},
      {"2.2250738585072011e-308", 0x0.fffffffffffffp-1022}, {"2.2250738585072014e-308", 0x1p-1022},
      {"4.9406564584124654e-324", 0x1p-1074}, {"2.4703282292062328e-324", 0x1p-1074},
      {"2.4703282292062327e-324", 0.0}, {"1e-400", 0.0}, {"1e-99999999999999999999", 0.0},
      {"1.7976931348623157e308", 0x1.fffffffffffffp+1023}, {"1.7976931348623158e308", 0x1.fffffffffffffp+1023},
      {"1.7976931348623159e308", std::nullopt}, {"1e309", std::nullopt}, {"1e99999999999999999999", std::nullopt},
      {"0." + Repeat('0', 400) + "1e401", 1.0}, {Repeat('0', 5000) + "2.5", 2.5},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(DecimalToDouble(text), expected) << text;
}

// Midpoints between neighbouring doubles, exactly and with one more digit either
// way, long digit strings around them, subnormals and the ends of the range.
TEST(DecimalToDouble, HardCasesAgreeWithTheLibrary) {
  std::vector<std::string> texts = {"1e-320", "2.5e-324", "3e-324", "7.4109846876186982e-324", "1e308",
                                    "0.0000000000000000000000000000000000001", "179769313486231580793728971405301e276",
                                    "17976931348623158079372897140530341507993413271003782693617377898044496829276475"
                                    "09"};
  const double seeds[] = {1.0, 0.1, 3.0, 1e22, 1e23, 0x1p-1022, 0x1p-1060, 0x1.fffffffffffffp+1023, 5e-324,
                          123456.789, 9007199254740992.0, 0x1.fffffffffffffp-1023};
  std::vector<long double> midpoints = {0x1.fffffffffffffp+1023L + 0x1p+970L};  // rounds to infinity
  for (double seed : seeds) {
    for (double toward : {0.0, std::numeric_limits<double>::infinity()}) {
      const double neighbour = std::nextafter(seed, toward);
      if (std::isfinite(neighbour)) midpoints.push_back((static_cast<long double>(seed) + neighbour) / 2);
    }
    texts.push_back(ExactDecimal(seed));
  }
  for (long double midpoint : midpoints) {
    const std::string exact = ExactDecimal(midpoint);
    const std::size_t e = exact.find('e');
    const std::string mantissa = exact.substr(0, e);
    const std::string exponent = exact.substr(e);
    texts.push_back(exact);
    texts.push_back(mantissa + Repeat('0', 900) + "1" + exponent);  // just above, beyond 769 digits
    texts.push_back(mantissa + Repeat('0', 300) + exponent);
    std::string below = mantissa;  // the last digit of an exact midpoint is 5
    --below.back();
    texts.push_back(below + Repeat('9', 900) + exponent);  // just below
  }
  for (const std::string& text : texts) EXPECT_EQ(DecimalToDouble(text), LibraryReading(text)) << text;
}

// The sanitizer build looks for memory faults, which a fifth of the numbers finds as
// well; the full count there takes over a minute on a busy machine.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kRandomScale = 5;
#else
constexpr int kRandomScale = 1;
#endif

TEST(DecimalToDouble, RandomNumbersAgreeWithTheLibrary) {
  std::mt19937_64 rng(1208);
  for (int i = 0; i < 200000 / kRandomScale; ++i) {
    std::string text;
    const std::size_t digits = 1 + rng() % (rng() % 8 == 0 ? 60 : 20);
    const std::size_t point = rng() % (digits + 2);
    for (std::size_t k = 0; k < digits; ++k) {
      if (k == point) text += '.';
      text += static_cast<char>('0' + rng() % 10);
    }
    if (rng() % 2 == 0) text += "e" + std::to_string(static_cast<int>(rng() % 700) - 350);
    ASSERT_EQ(DecimalToDouble(text), LibraryReading(text)) << text;
  }
  for (int i = 0; i < 100000 / kRandomScale; ++i) {  // the 17 significant digits of random doubles
    std::uint64_t bits = rng() & ~(std::uint64_t{1} << 63);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.*e", static_cast<int>(rng() % 18), value);
    ASSERT_EQ(DecimalToDouble(buffer), LibraryReading(buffer)) << buffer;
  }
}

}  // namespace
}  // namespace kurovel
