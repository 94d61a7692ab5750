// The turtle commands on a 361 x 446 surface, started as the main window does.

#include <gtest/gtest.h>

#include <vector>

#include "engine/palette.h"
#include "engine/raster_surface.h"
#include "engine/turtle.h"

namespace kurovel {
namespace {

class TurtleTest : public ::testing::Test {
 protected:
  // White, centred, blue pen; the arrow stays hidden unless a test shows it.
  void SetUp() override {
    surface_.SetPenColor(clBlue);
    turtle_.State().arrow_visible = false;
    turtle_.ClearScreen();
  }
  std::vector<std::uint32_t> Snapshot() const { return {surface_.Bits(), surface_.Bits() + 361 * 446}; }
  Point At() const { return {turtle_.State().x, turtle_.State().y}; }

  RasterSurface surface_{361, 446};
  Turtle turtle_{surface_};
};

TEST_F(TurtleTest, MovesFollowTheHeadingWithTheSevenDigitPi) {
  const struct {
    std::int32_t heading;
    bool back;
    std::int32_t n;
    Point to;
  } cases[] = {{30, false, 1, {1, -1}}, {150, false, 1, {0, 1}},       {60, false, 1, {1, 0}},   {90, false, 100, {100, 0}},
               {45, false, 2, {1, -1}}, {0, true, 50, {0, 50}},        {0, false, 0, {0, 0}},    {0, false, INT32_MIN, {0, 0}},
               {0, true, INT32_MIN, {0, 0}}, {360, false, 5000000, {0, -5000000}}, {0, false, 5000000, {0, -5000000}}};
  for (const auto& c : cases) {
    turtle_.State() = TurtleState{.x = 0, .y = 0, .heading = c.heading, .arrow_visible = false};
    c.back ? turtle_.MoveBack(c.n) : turtle_.MoveForward(c.n);
    EXPECT_EQ(At(), c.to) << c.heading << (c.back ? " bk " : " fd ") << c.n;
  }
}

TEST_F(TurtleTest, LinesStartAtTheOldPlaceAndFarMovesWrapClipped) {
  turtle_.MoveForward(100);
  EXPECT_EQ(At(), (Point{180, 123}));
  for (std::int32_t y = 124; y <= 223; ++y) ASSERT_EQ(surface_.PixelAt(180, y), clBlue) << y;
  EXPECT_EQ(surface_.PixelAt(180, 123), clWhite);
  turtle_.GoHome();
  turtle_.TurnRight(90);
  turtle_.MoveForward(2147483647);  // 180 + 2147483647 wraps to the far left
  // cos(90 x DegreesToRadians) is -2.32e-8: 50 pixels down over 2^31 pixels.
  EXPECT_EQ(At(), (Point{-2147483469, 273}));
  EXPECT_EQ(std::tuple(surface_.PixelAt(0, 223), surface_.PixelAt(181, 223)), std::tuple(clBlue, clWhite));
}

TEST_F(TurtleTest, TurnsCorrectByAtMostOneStep) {
  const struct {
    std::int32_t start;
    bool right;
    std::int32_t n, expected;
  } cases[] = {{0, true, 0, 90},       {0, false, 0, 270},    {0, true, 360, 360},  {0, true, 370, 10},
               {0, true, 1000, 640},   {0, true, -90, 270},   {0, false, 90, 270},  {0, false, -400, 40},
               {0, false, 1000, -640}, {360, true, 1, 1},     {2147483647, true, 1, -2147483288},
               {-2147483648, false, 1, 2147483287}};
  for (const auto& c : cases) {
    turtle_.State().heading = c.start;
    c.right ? turtle_.TurnRight(c.n) : turtle_.TurnLeft(c.n);
    EXPECT_EQ(turtle_.State().heading, c.expected) << c.start << (c.right ? " rt " : " lt ") << c.n;
  }
}

TEST_F(TurtleTest, PenDownSelectsFromThePaletteOrTheCycle) {
  const std::pair<std::int32_t, ColorValue> cases[] = {{0, MakeColor(0, 0, 0)}, {1, clBlue}, {-1, clBlue}, {16, clBlue},
                                                       {50, clBlue}, {13, MakeColor(0, 0, 128)}, {15, MakeColor(128, 128, 128)}};
  for (const auto& [n, expected] : cases) {
    surface_.SetPenColor(clBlue);
    turtle_.PenUp();
    turtle_.PenDown(n);
    EXPECT_EQ(std::tuple(surface_.GetPenColor(), turtle_.State().pen_down, surface_.GetPenMode()),
              std::tuple(expected, 1, PenMode::kCopy)) << n;
  }
  turtle_.PenDown(99);
  turtle_.ClearScreen();
  for (std::size_t k = 0; k <= 16; ++k) {
    turtle_.PenDown(99);
    EXPECT_EQ(surface_.GetPenColor(), PenPalette[k % 16]) << k;
  }
}

TEST_F(TurtleTest, LiftedPenLeavesNoTraceAndClearKeepsThePen) {
  const auto white = Snapshot();
  turtle_.PenDown(2);
  turtle_.PenUp();
  turtle_.MoveForward(100);
  turtle_.MoveToPosition(100, 50);
  EXPECT_EQ(At(), (Point{280, 173}));
  EXPECT_EQ(Snapshot(), white);
  turtle_.ClearScreen();
  EXPECT_EQ(std::tuple(surface_.GetPenColor(), turtle_.State().pen_down, surface_.GetPenMode(), At()),
            std::tuple(clRed, 0, PenMode::kNop, Point{180, 223}));
  turtle_.MoveToPosition(-50, -60);
  turtle_.GoHome();  // pen down again, no line to the centre
  EXPECT_EQ(Snapshot(), white);
  EXPECT_EQ(std::tuple(At(), turtle_.State().pen_down, surface_.GetPenMode()), std::tuple(Point{180, 223}, 1, PenMode::kCopy));
}

TEST_F(TurtleTest, BracketsLeaveOnlyTheArrowAndToggleShowsOrHidesIt) {
  const auto white = Snapshot();
  turtle_.ToggleArrow();  // shows it at the centre
  RasterSurface reference(361, 446);
  DrawArrow(turtle_.State(), reference);
  const std::vector<std::uint32_t> with_arrow(reference.Bits(), reference.Bits() + 361 * 446);
  EXPECT_EQ(Snapshot(), with_arrow);
  turtle_.MoveForward(0);
  turtle_.ResetHeading();
  EXPECT_EQ(Snapshot(), with_arrow);
  turtle_.ToggleArrow();
  EXPECT_EQ(turtle_.State().arrow_visible, false);
  EXPECT_EQ(Snapshot(), white);
}

}  // namespace
}  // namespace kurovel
