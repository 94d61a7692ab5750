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
std::int64_t LineStepCount(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1);

// The steps whose pixels land inside a width x height surface. Each coordinate
// is monotone in i, so the visible steps form one range; it is computed in
// closed form, never by walking the invisible part.
LineSteps VisibleLineSteps(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                           std::int32_t width, std::int32_t height);

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
