// Closed-form clipping and incremental stepping of the pinned line rule.
// Products such as 2 i dx reach 2^65, hence the 128-bit arithmetic.

#include "engine/line_raster.h"

#include <algorithm>

namespace kurovel {

namespace {

__extension__ using Int128 = __int128;

Int128 FloorDiv(Int128 a, Int128 b) {
  Int128 q = a / b;
  if (a % b != 0 && ((a < 0) != (b < 0))) --q;
  return q;
}

Int128 CeilDiv(Int128 a, Int128 b) { return -FloorDiv(-a, b); }

struct StepRange {
  Int128 first;
  Int128 last;
};

// Steps i (unbounded) with 0 <= start + floor((2 i d + n) / (2 n)) <= size - 1.
// floor(z) >= L  <=>  2 i d >= 2 n L - n  (= a)
// floor(z) <= U  <=>  2 i d <  2 n (U + 1) - n  (= b)
StepRange AxisRange(std::int32_t start, std::int64_t delta, std::int64_t steps, std::int32_t size) {
  const Int128 n = steps;
  const Int128 low = -Int128{start};
  const Int128 high = Int128{size} - 1 - start;
  const Int128 a = 2 * n * low - n;
  const Int128 b = 2 * n * (high + 1) - n;
  const Int128 twice_delta = 2 * Int128{delta};
  constexpr Int128 kAll = Int128{1} << 100;
  if (twice_delta > 0) return {CeilDiv(a, twice_delta), CeilDiv(b, twice_delta) - 1};
  if (twice_delta < 0) return {FloorDiv(b, twice_delta) + 1, FloorDiv(a, twice_delta)};
  if (a <= 0 && b > 0) return {-kAll, kAll};
  return {1, 0};
}

}  // namespace

LineSteps ClippedLineSteps(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::int64_t n,
                           std::int32_t width, std::int32_t height) {
  if (n == 0 || width <= 0 || height <= 0) return {};
  const StepRange xs = AxisRange(x0, std::int64_t{x1} - x0, n, width);
  const StepRange ys = AxisRange(y0, std::int64_t{y1} - y0, n, height);
  const Int128 first = std::max({Int128{0}, xs.first, ys.first});
  const Int128 last = std::min({Int128{n - 1}, xs.last, ys.last});
  if (first > last) return {};
  return {static_cast<std::int64_t>(first), static_cast<std::int64_t>(last)};
}

void LineAxis::AtStep(std::int32_t start, std::int64_t delta, std::int64_t steps, std::int64_t step) {
  const Int128 twice_steps = 2 * Int128{steps};
  const Int128 numerator = 2 * Int128{step} * delta + steps;
  const Int128 quotient = FloorDiv(numerator, twice_steps);
  value_ = start + static_cast<std::int64_t>(quotient);
  remainder_ = static_cast<std::int64_t>(numerator - quotient * twice_steps);
}

}  // namespace kurovel
