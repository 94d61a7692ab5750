// The arrow cursor and the centre of the surface.

#include "engine/arrow.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

namespace kurovel {

namespace {

constexpr double kPi = 3.1415927;
constexpr double kWing1Offset = 2.6179939;  // 150 degrees
constexpr double kWing2Offset = 3.6651915;  // 210 degrees
constexpr double kArrowLength = 20.0;
constexpr ColorValue kArrowColor = clRed;

// sin and cos of the three arrow angles for one heading.
struct ArrowTrig {
  std::int32_t heading = 0;
  bool valid = false;
  std::array<double, 3> sin{};
  std::array<double, 3> cos{};
};

// The arrow is drawn twice per command and headings repeat constantly, so the
// trigonometry is memoised per heading. A pure cache: results never change.
const ArrowTrig& TrigFor(std::int32_t heading) {
  thread_local std::array<ArrowTrig, 512> cache{};
  ArrowTrig& entry = cache[static_cast<std::uint32_t>(heading) % cache.size()];
  if (!entry.valid || entry.heading != heading) {
    const double a0 = static_cast<double>(heading) * kPi / 180.0;
    const std::array<double, 3> angles = {a0, a0 + kWing1Offset, a0 + kWing2Offset};
    for (std::size_t k = 0; k < angles.size(); ++k) {
      entry.sin[k] = std::sin(angles[k]);
      entry.cos[k] = std::cos(angles[k]);
    }
    entry.heading = heading;
    entry.valid = true;
  }
  return entry;
}

// Nearest integer, ties to even, saturated to 32 bits: near the ends of the
// coordinate range a wing must not wrap to the far side and draw a stray line
// across the surface. |value| < 2^32 here, so adding and removing 1.5 * 2^52
// rounds exactly as nearbyint does under the default mode, without a call.
std::int32_t RoundCoordinate(double value) {
  constexpr double kRoundingBias = 6755399441055744.0;
  const double rounded = (value + kRoundingBias) - kRoundingBias;
  if (rounded >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (rounded <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(rounded);
}

Point ArrowPoint(const TurtleState& state, const ArrowTrig& trig, std::size_t k) {
  return {RoundCoordinate(state.x + kArrowLength * trig.sin[k]),
          RoundCoordinate(state.y - kArrowLength * trig.cos[k])};
}

}  // namespace

Point SurfaceCenter(const DrawingSurface& surface) { return {surface.Width() / 2, surface.Height() / 2}; }

ArrowPoints ArrowGeometry(const TurtleState& state) {
  // Every command erases the arrow where the command before drew it: the last
  // points are kept for that second call. A pure cache, like TrigFor's.
  struct LastArrow {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t heading = 0;
    bool valid = false;
    ArrowPoints points;
  };
  thread_local LastArrow last;
  if (last.valid && last.x == state.x && last.y == state.y && last.heading == state.heading) return last.points;
  const ArrowTrig& trig = TrigFor(state.heading);
  last = {state.x, state.y, state.heading, true,
          {ArrowPoint(state, trig, 0), ArrowPoint(state, trig, 1), ArrowPoint(state, trig, 2), {state.x, state.y}}};
  return last.points;
}

void DrawArrow(const TurtleState& state, DrawingSurface& surface) {
  // The points only matter when drawn; a hidden arrow skips computing them.
  if (state.arrow_visible) {
    const ArrowPoints a = ArrowGeometry(state);
    const LineSegment lines[] = {{a.tip.x, a.tip.y, a.wing1.x, a.wing1.y},
                                 {a.notch.x, a.notch.y, a.wing1.x, a.wing1.y},
                                 {a.notch.x, a.notch.y, a.wing2.x, a.wing2.y},
                                 {a.tip.x, a.tip.y, a.wing2.x, a.wing2.y}};
    surface.NotXorLines(lines, kArrowColor);
  }
  surface.SetPenMode(state.pen_down ? PenMode::kCopy : PenMode::kNop);
}

}  // namespace kurovel
