#pragma once
// The one line rule of the drawing surface, so that every picture is reproducible:
// a line from (x0, y0) to (x1, y1) with dx = x1 - x0, dy = y1 - y0 and
// n = max(|dx|, |dy|) draws, for i = 0 .. n - 1, the pixel
//   (x0 + floor((2 i dx + n) / (2 n)), y0 + floor((2 i dy + n) / (2 n))).
// n = 0 draws nothing; the start pixel is drawn, the end pixel is not.

#include <cstdint>

namespace kurovel {

// A range of steps i, first..last inclusive; empty when first > last.
struct LineSteps {
  std::int64_t first = 0;
  std::int64_t last = -1;
  bool Empty() const { return first > last; }
};

// The number of steps n of a line (0 .. 2^32 - 1).
inline std::int64_t LineStepCount(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
  const std::int64_t dx = std::int64_t{x1} - x0;
  const std::int64_t dy = std::int64_t{y1} - y0;
  const std::int64_t adx = dx < 0 ? -dx : dx;
  const std::int64_t ady = dy < 0 ? -dy : dy;
  return adx > ady ? adx : ady;
}

// The steps of a line that is not wholly inside, clipped in closed form.
LineSteps ClippedLineSteps(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::int64_t n,
                           std::int32_t width, std::int32_t height);

// The steps whose pixels land inside a width x height surface. Each coordinate
// is monotone in i, so the visible steps form one range; it is computed in
// closed form, never by walking the invisible part.
inline LineSteps VisibleLineSteps(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                                  std::int32_t width, std::int32_t height) {
  const std::int64_t n = LineStepCount(x0, y0, x1, y1);
  if (n == 0) return {};
  // Every pixel lies between the two ends, so a line with both ends inside is wholly visible.
  const auto inside = [](std::int32_t v, std::int32_t size) { return v >= 0 && v < size; };
  if (inside(x0, width) && inside(x1, width) && inside(y0, height) && inside(y1, height)) return {0, n - 1};
  return ClippedLineSteps(x0, y0, x1, y1, n, width, height);
}

// One coordinate of a line at a given step i, as a value and the remainder
// 2 i d + n - 2 n floor((2 i d + n) / (2 n)) in [0, 2n): the state from which a
// line is walked further without a division per pixel.
class LineAxis {
 public:
  LineAxis(std::int32_t start, std::int64_t delta, std::int64_t steps, std::int64_t step) {
    if (step == 0) {  // the unclipped start: floor(n / 2n) = 0, remainder n
      value_ = start;
      remainder_ = steps;
    } else {
      AtStep(start, delta, steps, step);
    }
  }

  std::int64_t Value() const { return value_; }
  std::int64_t Remainder() const { return remainder_; }

 private:
  void AtStep(std::int32_t start, std::int64_t delta, std::int64_t steps, std::int64_t step);

  std::int64_t value_ = 0;
  std::int64_t remainder_ = 0;
};

}  // namespace kurovel
