#pragma once
// The turtle: where it stands, where it points, and its pen and arrow flags.

#include <cstdint>

namespace kurovel {

struct TurtleState {
  std::int32_t X = 200;
  std::int32_t Y = 200;
  std::int32_t Heading = 0;        // whole degrees, 0 up, clockwise; not kept in 0..360
  std::int32_t PenIsDown = 1;      // 1 = down; any other value counts as up
  std::int32_t ArrowVisible = 1;   // 1 = shown; any other value counts as hidden
  std::int32_t ColorCycleIndex = 0;  // next palette entry for "pd 99", 0..15
};

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

}  // namespace kurovel
