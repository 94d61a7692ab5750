// The arrow cursor: its four points, the NOT-XOR toggle and the pen it leaves.

#include <gtest/gtest.h>

#include <vector>

#include "engine/arrow.h"
#include "engine/raster_surface.h"

namespace kurovel {
namespace {

TurtleState At(std::int32_t x, std::int32_t y, std::int32_t heading, bool visible = true) {
  return {.x = x, .y = y, .heading = heading, .pen_down = false, .arrow_visible = visible};
}

TEST(Arrow, GeometryAtTheNamedHeadings) {
  const struct {
    std::int32_t heading;
    Point tip, wing1, wing2;  // relative to the turtle at (150, -40)
  } cases[] = {{0, {0, -20}, {10, 17}, {-10, 17}},    {90, {20, 0}, {-17, 10}, {-17, -10}},
               {180, {0, 20}, {-10, -17}, {10, -17}}, {30, {10, -17}, {0, 20}, {-17, 10}},
               {360, {0, -20}, {10, 17}, {-10, 17}}};
  for (const auto& c : cases) {
    const ArrowPoints a = ArrowGeometry(At(150, -40, c.heading));
    const auto shift = [](Point p) { return Point{150 + p.x, -40 + p.y}; };
    EXPECT_EQ(a.tip, shift(c.tip)) << c.heading;
    EXPECT_EQ(a.wing1, shift(c.wing1)) << c.heading;
    EXPECT_EQ(a.wing2, shift(c.wing2)) << c.heading;
    EXPECT_EQ(a.notch, (Point{150, -40}));
  }
}

TEST(Arrow, OnWhiteTheCornersStayWhiteAndTheOutlineIsRed) {
  RasterSurface surface(100, 100);
  const TurtleState state = At(50, 50, 90);
  DrawArrow(state, surface);
  const ArrowPoints a = ArrowGeometry(state);
  for (const Point p : {a.tip, a.notch, a.wing1, a.wing2}) EXPECT_EQ(surface.PixelAt(p.x, p.y), clWhite);
  EXPECT_EQ(surface.PixelAt(69, 50), clWhite);  // second pixel of both tip edges: toggled twice
  EXPECT_EQ(surface.PixelAt(68, 51), clRed);
  EXPECT_EQ(surface.PixelAt(68, 49), clRed);
}

TEST(Arrow, DrawingTwiceRestoresEveryPixelAndThePen) {
  for (const std::int32_t heading : {0, 17, 90, 135, 359, 360, -45, 640, 2147483647}) {
    for (const Point place : {Point{30, 20}, {0, 0}, {59, 39}, {-15, 45}, {2147483640, 20}, {INT32_MIN, INT32_MIN}}) {
      RasterSurface surface(60, 40);
      surface.SetPenColor(MakeColor(0, 128, 0));
      surface.MoveTo(0, 5);
      surface.LineTo(60, 35);  // something under the arrow that is not white
      const std::vector<std::uint32_t> before(surface.Bits(), surface.Bits() + 60 * 40);
      const TurtleState state = At(place.x, place.y, heading);
      DrawArrow(state, surface);
      EXPECT_EQ(surface.GetPenColor(), MakeColor(0, 128, 0));
      EXPECT_EQ(surface.GetPenMode(), PenMode::kNop);
      DrawArrow(state, surface);
      EXPECT_EQ(std::vector<std::uint32_t>(surface.Bits(), surface.Bits() + 60 * 40), before)
          << heading << " at " << place.x << "," << place.y;
    }
  }
}

TEST(Arrow, DrawsNothingWhenHiddenOrFarOff) {
  // Near the ends of the coordinate range a wing must not wrap around and
  // draw a stray line across the surface.
  const TurtleState cases[] = {At(30, 30, 0, false),     At(30, 30, 45, false),          At(2147483640, 20, 90),
                               At(-2147483640, 20, 270), At(20, 2147483647, 180),     At(20, -2147483648, 0)};
  for (const TurtleState& state : cases) {
    RasterSurface surface(60, 60);
    surface.SetPenColor(MakeColor(1, 2, 3));
    surface.SetPenMode(PenMode::kNotXor);
    DrawArrow(state, surface);
    EXPECT_TRUE(surface.TakeDirtyRect().Empty()) << state.x << "," << state.y;
    EXPECT_EQ(surface.GetPenMode(), PenMode::kNop);  // corrected from the pen flag
    EXPECT_EQ(surface.GetPenColor(), MakeColor(1, 2, 3));
  }
}

}  // namespace
}  // namespace kurovel
