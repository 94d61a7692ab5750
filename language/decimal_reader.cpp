// Decimal to binary: short numbers take one exact double operation; the rest go
// through an exact big-integer quotient with 66 or 67 bits and a sticky bit.

#include "language/decimal_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kurovel {
namespace {

// Every double and every midpoint between two doubles has at most 768 significant
// decimal digits, so digits beyond 769 only matter as "something non-zero follows".
constexpr std::size_t kMaxDigits = 769;
// Beyond these powers of ten of the first digit the result is infinity or zero.
constexpr std::int64_t kMaxLeadingPower = 309;   // 1e309 > DBL_MAX
constexpr std::int64_t kMinLeadingPower = -325;  // 1e-325 < half the smallest subnormal
constexpr int kDoubleBits = 53;
constexpr int kMinSubnormalExponent = -1074;
constexpr int kMinNormalExponent = -1022;
// Powers of ten that a double holds exactly.
constexpr std::array<double, 23> kExactPowers = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::size_t kExactDigits = 15;  // any 15-digit integer is below 2^53

// Supported by gcc and clang on every 64-bit target and on wasm32.
__extension__ typedef unsigned __int128 U128;

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The number as digits without leading or trailing zeros times a power of ten.
struct Decimal {
  std::string digits;
  std::int64_t exponent = 0;
};

Decimal Parse(std::string_view number) {
  Decimal d;
  bool truncated = false;
  bool after_point = false;
  std::size_t i = 0;
  for (; i < number.size() && (IsDigit(number[i]) || number[i] == '.'); ++i) {
    const char c = number[i];
    if (c == '.') {
      after_point = true;
    } else if (d.digits.empty() && c == '0') {
      if (after_point) --d.exponent;
    } else if (d.digits.size() < kMaxDigits) {
      d.digits += c;
      if (after_point) --d.exponent;
    } else {
      truncated = truncated || c != '0';
      if (!after_point) ++d.exponent;
    }
  }
  if (++i < number.size()) {  // the exponent after "E", saturated far beyond any double
    const bool negative = number[i] == '-';
    if (number[i] == '+' || number[i] == '-') ++i;
    std::int64_t exponent = 0;
    for (; i < number.size(); ++i) exponent = std::min<std::int64_t>(exponent * 10 + (number[i] - '0'), 1000000000);
    d.exponent += negative ? -exponent : exponent;
  }
  if (truncated) {
    // A non-zero digit below the kept ones: the value stays strictly between the
    // same neighbours, none of which needs that many digits.
    d.digits += '1';
    --d.exponent;
  }
  while (!d.digits.empty() && d.digits.back() == '0') {
    d.digits.pop_back();
    ++d.exponent;
  }
  return d;
}

// A non-negative big integer, 32-bit limbs from the least significant.
class BigInteger {
 public:
  void MultiplyAdd(std::uint32_t factor, std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (std::uint32_t& limb : limbs_) {
      const std::uint64_t value = std::uint64_t{limb} * factor + carry;
      limb = static_cast<std::uint32_t>(value);
      carry = value >> 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
  }
  void MultiplyByPowerOfTen(std::int64_t power) {
    for (; power >= 9; power -= 9) MultiplyAdd(1000000000u, 0);
    for (; power > 0; --power) MultiplyAdd(10u, 0);
  }
  void ShiftLeft(int bits) {
    if (limbs_.empty() || bits == 0) return;
    limbs_.insert(limbs_.begin(), static_cast<std::size_t>(bits / 32), 0u);
    const int rest = bits % 32;
    if (rest == 0) return;
    std::uint32_t carry = 0;
    for (std::uint32_t& limb : limbs_) {
      const std::uint32_t next = limb >> (32 - rest);
      limb = limb << rest | carry;
      carry = next;
    }
    if (carry != 0) limbs_.push_back(carry);
  }
  void ShiftRightOne() {
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
      const std::uint32_t high = i + 1 < limbs_.size() ? limbs_[i + 1] << 31 : 0u;
      limbs_[i] = limbs_[i] >> 1 | high;
    }
    Trim();
  }
  // *this -= other; other must not be larger.
  void Subtract(const BigInteger& other) {
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < limbs_.size(); ++i) {
      std::int64_t value = std::int64_t{limbs_[i]} - borrow - (i < other.limbs_.size() ? other.limbs_[i] : 0);
      borrow = value < 0 ? 1 : 0;
      limbs_[i] = static_cast<std::uint32_t>(value + (borrow << 32));
    }
    Trim();
  }
  bool IsZero() const { return limbs_.empty(); }
  int BitLength() const {
    if (limbs_.empty()) return 0;
    int top = 0;
    for (std::uint32_t high = limbs_.back(); high != 0; high >>= 1) ++top;
    return static_cast<int>(32 * (limbs_.size() - 1)) + top;
  }
  friend bool operator>=(const BigInteger& a, const BigInteger& b) {
    if (a.limbs_.size() != b.limbs_.size()) return a.limbs_.size() > b.limbs_.size();
    return !std::lexicographical_compare(a.limbs_.rbegin(), a.limbs_.rend(), b.limbs_.rbegin(), b.limbs_.rend());
  }

 private:
  void Trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  }
  std::vector<std::uint32_t> limbs_;
};

BigInteger FromDigits(const std::string& digits) {
  BigInteger value;
  for (char c : digits) value.MultiplyAdd(10u, static_cast<std::uint32_t>(c - '0'));
  return value;
}

BigInteger One() {
  BigInteger value;
  value.MultiplyAdd(1u, 1u);
  return value;
}

// numerator / denominator rounded to the nearest double; both are non-zero.
std::optional<double> RoundQuotient(BigInteger numerator, BigInteger denominator) {
  // Scaled so that the quotient q lies in [2^65, 2^67): the value is (q + r) * 2^scale.
  constexpr int kQuotientBits = 67;
  const int scale = numerator.BitLength() - denominator.BitLength() - (kQuotientBits - 1);
  if (scale < 0) numerator.ShiftLeft(-scale);
  if (scale > 0) denominator.ShiftLeft(scale);
  denominator.ShiftLeft(kQuotientBits - 1);
  U128 q = 0;
  for (int bit = kQuotientBits - 1; bit >= 0; --bit) {
    if (numerator >= denominator) {
      numerator.Subtract(denominator);
      q |= U128{1} << bit;
    }
    denominator.ShiftRightOne();
  }
  const bool sticky = !numerator.IsZero();
  const int length = (q >> (kQuotientBits - 1)) != 0 ? kQuotientBits : kQuotientBits - 1;
  const int top_exponent = length - 1 + scale;
  const int drop =
      top_exponent >= kMinNormalExponent ? length - kDoubleBits : kMinSubnormalExponent - scale;
  if (drop > length) return 0.0;  // below half the smallest subnormal
  U128 kept = q >> drop;
  const U128 rest = q & ((U128{1} << drop) - 1);
  const U128 half = U128{1} << (drop - 1);
  if (rest > half || (rest == half && (sticky || (kept & 1) != 0))) ++kept;
  // kept <= 2^53, so the conversion and the scaling are exact unless they overflow.
  const double value = std::ldexp(static_cast<double>(static_cast<std::uint64_t>(kept)), scale + drop);
  if (std::isinf(value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<double> DecimalToDouble(std::string_view number) {
  const Decimal d = Parse(number);
  if (d.digits.empty()) return 0.0;
  const std::int64_t leading_power = static_cast<std::int64_t>(d.digits.size()) - 1 + d.exponent;
  if (leading_power > kMaxLeadingPower) return std::nullopt;
  if (leading_power < kMinLeadingPower) return 0.0;
  if (d.digits.size() <= kExactDigits && d.exponent >= -22 && d.exponent <= 22) {
    // Both operands are exact doubles, so the one operation rounds correctly.
    std::int64_t integer = 0;
    for (char c : d.digits) integer = integer * 10 + (c - '0');
    const auto mantissa = static_cast<double>(integer);
    return d.exponent >= 0 ? mantissa * kExactPowers[static_cast<std::size_t>(d.exponent)]
                           : mantissa / kExactPowers[static_cast<std::size_t>(-d.exponent)];
  }
  BigInteger numerator = FromDigits(d.digits);
  BigInteger denominator = One();
  if (d.exponent >= 0) numerator.MultiplyByPowerOfTen(d.exponent);
  else denominator.MultiplyByPowerOfTen(-d.exponent);
  return RoundQuotient(std::move(numerator), std::move(denominator));
}

}  // namespace kurovel
