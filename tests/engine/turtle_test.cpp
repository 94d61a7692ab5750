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
  // Start state after the first repaint: white, centred, blue pen; the arrow is
  // hidden unless a test shows it, so pixels are the pen's alone.
  void SetUp() override {
    surface_.SetPenColor(clBlue);
    turtle_.State().ArrowVisible = 0;
    turtle_.ClearScreen();
  }
  std::vector<std::uint32_t> Snapshot() const { return {surface_.Bits(), surface_.Bits() + 361 * 446}; }
  Point At() const { return {turtle_.State().X, turtle_.State().Y}; }

  RasterSurface surface_{361, 446};
  Turtle turtle_{surface_};
};

TEST_F(TurtleTest, MovesFollowTheHeadingWithTheSevenDigitPi) {
  const struct {
    std::int32_t heading;
    bool back;
    std::int32_t n;
    Point offset;
  } cases[] = {
      {30, false, 1, {1, -1}},  {150, false, 1, {0, 1}},   {60, false, 1, {1, 0}},  {90, false, 100, {100, 0}},
      {45, false, 2, {1, -1}},  {0, true, 50, {0, 50}},    {0, false, 0, {0, 0}},   {0, false, -2147483648, {0, 0}},
      {90, true, -2147483648, {0, 0}}, {270, true, 7, {7, 0}}, {360, false, 100, {0, -100}},
  };
  for (const auto& c : cases) {
    turtle_.State().Heading = c.heading;
    const Point from = At();
    c.back ? turtle_.MoveBack(c.n) : turtle_.MoveForward(c.n);
    EXPECT_EQ(At(), (Point{from.x + c.offset.x, from.y + c.offset.y})) << c.heading << " " << c.n;
  }
}

TEST_F(TurtleTest, HeadingsZeroAndThreeSixtyMoveAlike) {
  for (std::int32_t n = 1; n <= 5000000; n = n * 3 + 1) {
    for (const std::int32_t heading : {0, 360}) {
      turtle_.State() = TurtleState{.X = 0, .Y = 0, .Heading = heading, .ArrowVisible = 0};
      turtle_.MoveForward(n);
      EXPECT_EQ(At(), (Point{0, -n})) << n << " at heading " << heading;
    }
  }
}

TEST_F(TurtleTest, ForwardDrawsFromTheStartPixelAndLeavesTheEndPixel) {
  turtle_.MoveForward(100);
  EXPECT_EQ(At(), (Point{180, 123}));
  for (std::int32_t y = 124; y <= 223; ++y) ASSERT_EQ(surface_.PixelAt(180, y), clBlue) << y;
  EXPECT_EQ(surface_.PixelAt(180, 123), clWhite);
  EXPECT_EQ(surface_.PixelAt(181, 200), clWhite);
}

TEST_F(TurtleTest, FarMovesWrapAndStayClipped) {
  turtle_.TurnRight(90);
  turtle_.MoveForward(2147483647);  // 180 + 2147483647 wraps to the far left
  // cos(90 x DegreesToRadians) is -2.32e-8, which over 2^31 pixels is 50 pixels down.
  EXPECT_EQ(At(), (Point{-2147483469, 273}));
  EXPECT_EQ(surface_.PixelAt(0, 223), clBlue);
  EXPECT_EQ(surface_.PixelAt(181, 223), clWhite);
  turtle_.MoveToPosition(2000000000, 2000000000);
  EXPECT_EQ(At(), (Point{2000000180, -1999999777}));
}

TEST_F(TurtleTest, TurnsCorrectByAtMostOneStep) {
  const struct {
    std::int32_t start;
    bool right;
    std::int32_t n, expected;
  } cases[] = {
      {0, true, 0, 90},      {0, false, 0, 270},    {0, true, 360, 360},  {0, true, 370, 10},
      {0, true, 1000, 640},  {0, true, -90, 270},   {0, false, 90, 270},  {0, false, -400, 40},
      {0, false, 1000, -640}, {360, true, 1, 1},    {2147483647, true, 1, -2147483288},
      {0, true, -2147483648, -2147483288}, {-2147483648, false, 1, 2147483287},
  };
  for (const auto& c : cases) {
    turtle_.State().Heading = c.start;
    c.right ? turtle_.TurnRight(c.n) : turtle_.TurnLeft(c.n);
    EXPECT_EQ(turtle_.State().Heading, c.expected) << c.start << (c.right ? " rt " : " lt ") << c.n;
  }
}

TEST_F(TurtleTest, PenDownSelectsFromThePaletteOrTheCycle) {
  const struct {
    std::int32_t n;
    ColorValue expected;
  } cases[] = {{0, MakeColor(0, 0, 0)}, {1, clBlue}, {-1, clBlue}, {16, clBlue}, {50, clBlue},
               {13, MakeColor(0, 0, 128)}, {15, MakeColor(128, 128, 128)}};
  for (const auto& c : cases) {
    surface_.SetPenColor(clBlue);
    turtle_.PenUp();
    turtle_.PenDown(c.n);
    EXPECT_EQ(surface_.GetPenColor(), c.expected) << c.n;
    EXPECT_EQ(turtle_.State().PenIsDown, 1);
    EXPECT_EQ(surface_.GetPenMode(), PenMode::pmCopy);
  }
  turtle_.PenDown(99);
  turtle_.ClearScreen();
  for (std::size_t k = 0; k <= 16; ++k) {
    turtle_.PenDown(99);
    EXPECT_EQ(surface_.GetPenColor(), PenPalette[k % 16]) << k;
  }
}

TEST_F(TurtleTest, LiftedPenMovesWithoutTraceAndHomeDrawsNoLine) {
  const auto white = Snapshot();
  turtle_.PenUp();
  turtle_.MoveForward(100);
  turtle_.MoveToPosition(-50, -60);
  EXPECT_EQ(Snapshot(), white);
  turtle_.GoHome();
  EXPECT_EQ(Snapshot(), white);
  EXPECT_EQ(At(), (Point{180, 223}));
  EXPECT_EQ(turtle_.State().PenIsDown, 1);
  EXPECT_EQ(surface_.GetPenMode(), PenMode::pmCopy);
}

TEST_F(TurtleTest, ClearScreenKeepsPenColourAndFlag) {
  turtle_.PenDown(2);
  turtle_.PenUp();
  turtle_.TurnRight(45);
  turtle_.MoveForward(30);
  turtle_.ClearScreen();
  EXPECT_EQ(surface_.GetPenColor(), clRed);
  EXPECT_EQ(turtle_.State().PenIsDown, 0);
  EXPECT_EQ(surface_.GetPenMode(), PenMode::pmNop);
  EXPECT_EQ(At(), (Point{180, 223}));
  EXPECT_EQ(turtle_.State().Heading, 0);
}

TEST_F(TurtleTest, PositionsCountFromTheCentreUpwards) {
  turtle_.PenUp();
  turtle_.MoveToPosition(100, 50);
  EXPECT_EQ(At(), (Point{280, 173}));
  turtle_.PenDown(1);
  turtle_.MoveToPosition(0, 0);
  EXPECT_EQ(At(), (Point{180, 223}));
  EXPECT_EQ(surface_.PixelAt(280, 173), clBlue);  // the line back starts at the old place
  EXPECT_EQ(surface_.PixelAt(180, 223), clWhite);
}

TEST_F(TurtleTest, ArrowBracketsLeaveOnlyTheArrowAndToggleShowsIt) {
  turtle_.ToggleArrow();  // shows it at the centre
  RasterSurface reference(361, 446);
  DrawArrow(turtle_.State(), reference);
  EXPECT_EQ(Snapshot(), std::vector<std::uint32_t>(reference.Bits(), reference.Bits() + 361 * 446));
  const auto with_arrow = Snapshot();
  turtle_.MoveForward(0);
  turtle_.ResetHeading();
  EXPECT_EQ(Snapshot(), with_arrow);
  turtle_.ToggleArrow();  // hides it
  EXPECT_EQ(turtle_.State().ArrowVisible, 0);
  EXPECT_TRUE(std::all_of(surface_.Bits(), surface_.Bits() + 361 * 446, [](std::uint32_t p) { return p == 0xffffffffu; }));
}

}  // namespace
}  // namespace kurovel
