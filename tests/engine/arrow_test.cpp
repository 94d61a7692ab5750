// The arrow cursor: its four points, the NOT-XOR toggle and the pen it leaves.

#include <gtest/gtest.h>

#include <vector>

#include "engine/arrow.h"
#include "engine/raster_surface.h"

namespace kurovel {
namespace {

std::vector<std::uint32_t> Snapshot(const RasterSurface& s) {
  return {s.Bits(), s.Bits() + static_cast<std::size_t>(s.Width()) * static_cast<std::size_t>(s.Height())};
}

TEST(Arrow, GeometryAtTheNamedHeadings) {
  const struct {
    std::int32_t heading;
    Point tip, wing1, wing2;  // relative to the turtle
  } cases[] = {
      {0, {0, -20}, {10, 17}, {-10, 17}},   {90, {20, 0}, {-17, 10}, {-17, -10}},
      {180, {0, 20}, {-10, -17}, {10, -17}}, {30, {10, -17}, {0, 20}, {-17, 10}},
      {360, {0, -20}, {10, 17}, {-10, 17}},
  };
  for (const auto& c : cases) {
    TurtleState state;
    state.X = 150;
    state.Y = -40;
    state.Heading = c.heading;
    const ArrowPoints a = ArrowGeometry(state);
    const auto at = [&](Point offset) { return Point{150 + offset.x, -40 + offset.y}; };
    EXPECT_EQ(a.tip, at(c.tip)) << c.heading;
    EXPECT_EQ(a.wing1, at(c.wing1)) << c.heading;
    EXPECT_EQ(a.wing2, at(c.wing2)) << c.heading;
    EXPECT_EQ(a.notch, (Point{150, -40})) << c.heading;
  }
}

TEST(Arrow, OnWhiteTheTipNotchAndWingsStayWhiteAndTheOutlineIsRed) {
  RasterSurface surface(100, 100);
  TurtleState state;
  state.X = 50;
  state.Y = 50;
  state.Heading = 90;
  DrawArrow(state, surface);
  const ArrowPoints a = ArrowGeometry(state);
  for (const Point p : {a.tip, a.notch, a.wing1, a.wing2}) EXPECT_EQ(surface.PixelAt(p.x, p.y), clWhite);
  EXPECT_EQ(surface.PixelAt(51, 50), clWhite);  // inside the dart, not on its outline
  EXPECT_EQ(surface.PixelAt(69, 50), clWhite);  // second pixel of both tip edges: toggled twice
  EXPECT_EQ(surface.PixelAt(68, 51), clRed);
  EXPECT_EQ(surface.PixelAt(68, 49), clRed);
}

TEST(Arrow, DrawingTwiceRestoresEveryPixelAndTheRestoredPen) {
  const std::int32_t headings[] = {0, 17, 90, 135, 359, 360, -45, 640, 2147483647};
  const Point places[] = {{30, 20}, {0, 0}, {59, 39}, {-15, 45}, {2147483640, 20}, {-2147483647, -2147483647}};
  for (const std::int32_t heading : headings) {
    for (const Point place : places) {
      RasterSurface surface(60, 40);
      surface.SetPenColor(MakeColor(0, 128, 0));
      surface.SetPenMode(PenMode::pmCopy);
      surface.MoveTo(0, 5);
      surface.LineTo(60, 35);  // something under the arrow that is not white
      const auto before = Snapshot(surface);
      TurtleState state;
      state.X = place.x;
      state.Y = place.y;
      state.Heading = heading;
      state.PenIsDown = 0;
      DrawArrow(state, surface);
      EXPECT_EQ(surface.GetPenColor(), MakeColor(0, 128, 0));
      EXPECT_EQ(surface.GetPenMode(), PenMode::pmNop);
      DrawArrow(state, surface);
      EXPECT_EQ(Snapshot(surface), before) << heading << " at " << place.x << "," << place.y;
    }
  }
}

TEST(Arrow, NearTheEndsOfTheCoordinateRangeNoStrayLineCrossesTheSurface) {
  const Point places[] = {{2147483640, 20}, {-2147483640, 20}, {20, 2147483647}, {20, -2147483648}};
  for (const Point place : places) {
    for (const std::int32_t heading : {0, 90, 180, 270}) {
      RasterSurface surface(40, 40);
      TurtleState state;
      state.X = place.x;
      state.Y = place.y;
      state.Heading = heading;
      DrawArrow(state, surface);
      EXPECT_TRUE(surface.TakeDirtyRect().Empty()) << place.x << "," << place.y << " heading " << heading;
    }
  }
}

TEST(Arrow, HiddenArrowDrawsNothingButCorrectsTheMode) {
  for (const std::int32_t pen_down : {1, 0, 7}) {
    RasterSurface surface(60, 60);
    surface.SetPenColor(MakeColor(1, 2, 3));
    surface.SetPenMode(PenMode::pmNotXor);
    TurtleState state;
    state.X = 30;
    state.Y = 30;
    state.ArrowVisible = 0;
    state.PenIsDown = pen_down;
    DrawArrow(state, surface);
    EXPECT_TRUE(surface.TakeDirtyRect().Empty());
    EXPECT_EQ(surface.GetPenMode(), pen_down == 1 ? PenMode::pmCopy : PenMode::pmNop);
    EXPECT_EQ(surface.GetPenColor(), MakeColor(1, 2, 3));
  }
}

TEST(Arrow, SurfaceCenterTruncates) {
  const struct {
    std::int32_t w, h;
    Point center;
  } cases[] = {{361, 446, {180, 223}}, {1, 1, {0, 0}}, {0, 0, {0, 0}}, {16384, 3, {8192, 1}}};
  for (const auto& c : cases) EXPECT_EQ(SurfaceCenter(RasterSurface(c.w, c.h)), c.center);
}

}  // namespace
}  // namespace kurovel
