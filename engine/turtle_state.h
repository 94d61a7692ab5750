#pragma once
// The turtle: where it stands, where it points, and its pen and arrow flags.

#include <cstdint>

namespace kurovel {

struct TurtleState {
  std::int32_t x = 200;
  std::int32_t y = 200;
  std::int32_t heading = 0;            // whole degrees, 0 up, clockwise; not kept in 0..360
  bool pen_down = true;                // lines are drawn while the turtle moves
  bool arrow_visible = true;           // the arrow cursor is shown
  std::int32_t color_cycle_index = 0;  // next palette entry for "pd 99", 0..15
};

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

}  // namespace kurovel
