#include "language/numbers.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

namespace kurovel {
namespace {

constexpr std::nullopt_t kFail = std::nullopt;

TEST(TextToInteger, DecimalAndHexadecimalForms) {
  const std::pair<std::string, std::optional<std::int32_t>> cases[] = {
      {"100", 100}, {"0", 0}, {"999999999", 999999999}, {"+30", 30}, {"-3", -3}, {" 12", 12}, {"   -12", -12}, {"2147483647", 2147483647},
      {"-2147483648", std::numeric_limits<std::int32_t>::min()}, {"0000000000002147483647", 2147483647},
      {"2147483648", kFail}, {"-2147483649", kFail}, {"99999999999999999999", kFail},
      {"$10", 16}, {"x1f", 31}, {"X1F", 31}, {"0x10", 16}, {"0XfF", 255}, {" $10", 16}, {"$FFFFFFFF", -1},
      {"0x80000000", std::numeric_limits<std::int32_t>::min()}, {"$0000000000FF", 255}, {"$100000000", kFail},
      {"$", kFail}, {"0x", kFail}, {"-$10", kFail}, {"+0x10", kFail}, {"$1G", kFail}, {"", kFail}, {" ", kFail},
      {"+", kFail}, {"-", kFail}, {"12 ", kFail}, {"1 2", kFail}, {"1.5", kFail}, {"\t12", kFail},
      {"\x82\x50", kFail},  // a full-width digit
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(TextToInteger(text), expected) << "'" << text << "'";
    EXPECT_EQ(TextToIntegerOr(text, -7), expected.value_or(-7)) << "'" << text << "'";
  }
}

TEST(TextToReal, AcceptsOnlyTheStrictForm) {
  const std::pair<std::string, std::optional<double>> cases[] = {
      {"1.5", 1.5}, {"-2.25", -2.25}, {"+4", 4.0}, {".5", 0.5}, {"5.", 5.0}, {".", 0.0}, {"-.", 0.0},
      {"1E", 1.0}, {"1e+", 1.0}, {"2E3", 2000.0}, {"2e-3", 0.002}, {"  7  ", 7.0}, {"1e308", 1e308},
      {"1e-400", 0.0}, {"0.1", 0.1}, {std::string(400, '0') + "1.25", 1.25}, {"0." + std::string(320, '0') + "1e330", 1e9},
      {"", kFail}, {" ", kFail}, {"+", kFail}, {"-", kFail}, {"E5", kFail}, {"1e309", kFail}, {"-1e309", kFail},
      {"1e99999999999999999999", kFail}, {"1" + std::string(309, '0'), kFail}, {"1,5", kFail}, {"1 5", kFail},
      {"0x10", kFail}, {"1.2.3", kFail}, {"1E5E5", kFail}, {"inf", kFail}, {"nan", kFail},
      {"1\x81\x44" "5", kFail},  // full-width point
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(TextToReal(text), expected) << "'" << text << "'";
}

TEST(FormatGeneral, FixedOrScientificWithFifteenDigits) {
  const std::pair<double, std::string> cases[] = {
      {0.0, "0"}, {-0.0, "0"}, {2.0, "2"}, {1.5, "1.5"}, {-1.5, "-1.5"}, {100.0, "100"}, {0.00001, "0.00001"},
      {0.000015, "0.000015"}, {0.000001, "1E-6"}, {-2.5e-7, "-2.5E-7"}, {1.5e20, "1.5E20"},
      {999999999999999.0, "999999999999999"}, {1e15, "1E15"}, {1234567890123456.0, "1.23456789012346E15"},
      {123456789012345.6, "123456789012346"}, {999999999999999.9, "1E15"}, {2.0 / 3.0, "0.666666666666667"},
      {1e308, "1E308"}, {5e-324, "4.94065645841247E-324"}, {0.1 + 0.2, "0.3"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatGeneral(value), text) << value;
}

}  // namespace
}  // namespace kurovel
