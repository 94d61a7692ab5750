// The drawing as geometry: what the turtle records of its moves on a 361 x 446
// surface (centre 180, 223), and where the record ends.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/palette.h"
#include "engine/raster_surface.h"
#include "engine/turtle.h"

namespace kurovel {

void PrintTo(const PathStep& s, std::ostream* os) {
  *os << (s.line ? "line " : "jump ") << s.from.x << "," << s.from.y << " -> " << s.to.x << "," << s.to.y
      << " colour " << s.color;
}

namespace {

constexpr ColorValue kRed = MakeColor(255, 0, 0);

PathStep Line(Point from, Point to, ColorValue color = clBlue) { return {from, to, color, true}; }
PathStep Jump(Point from, Point to) { return {from, to, 0, false}; }

class DrawnPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    surface_.SetPenColor(clBlue);
    turtle_.ClearScreen();
  }
  RasterSurface surface_{361, 446};
  Turtle turtle_{surface_};
};

TEST_F(DrawnPathTest, RecordsEveryMoveAsALineOrAJump) {
  const struct {
    const char* name;
    std::function<void(Turtle&)> commands;
    std::vector<PathStep> steps;
  } cases[] = {
      {"fd and bk draw lines from the old place", [](Turtle& t) { t.MoveForward(100); t.MoveBack(30); },
       {Line({180, 223}, {180, 123}), Line({180, 123}, {180, 153})}},
      {"turns and a move of 0 record nothing", [](Turtle& t) { t.TurnRight(90); t.MoveForward(0); t.TurnLeft(45); },
       {}},
      {"a lifted pen jumps", [](Turtle& t) { t.PenUp(); t.MoveForward(50); t.PenDown(2); t.MoveForward(10); },
       {Jump({180, 223}, {180, 173}), Line({180, 173}, {180, 163}, kRed)}},
      {"rp jumps home without a line", [](Turtle& t) { t.MoveForward(40); t.GoHome(); },
       {Line({180, 223}, {180, 183}), Jump({180, 183}, {180, 223})}},
      {"pos draws with the pen down", [](Turtle& t) { t.MoveToPosition(100, 50); t.PenUp(); t.MoveToPosition(0, 0); },
       {Line({180, 223}, {280, 173}), Jump({280, 173}, {180, 223})}},
      {"the line keeps the colour it was drawn in",
       [](Turtle& t) { t.PenDown(99); t.MoveForward(5); t.PenDown(99); t.MoveForward(5); },
       {Line({180, 223}, {180, 218}, PenPalette[0]), Line({180, 218}, {180, 213}, PenPalette[1])}},
      {"a hidden arrow changes nothing", [](Turtle& t) { t.ToggleArrow(); t.MoveForward(20); },
       {Line({180, 223}, {180, 203})}},
      {"clear screen forgets the drawing", [](Turtle& t) { t.MoveForward(40); t.ClearScreen(); t.MoveForward(10); },
       {Line({180, 223}, {180, 213})}},
      {"re-centring is a jump", [](Turtle& t) { t.MoveForward(40); t.Recentre(); },
       {Line({180, 223}, {180, 183}), Jump({180, 183}, {180, 223})}},
      {"a turtle put elsewhere without a move jumps there first",
       [](Turtle& t) { t.MoveForward(10); t.State().x = 0; t.State().y = 0; t.MoveForward(-10); },
       {Line({180, 223}, {180, 213}), Jump({180, 213}, {0, 0}), Line({0, 0}, {0, 10})}},
  };
  for (const auto& c : cases) {
    turtle_.ClearScreen();
    turtle_.State().pen_down = true;
    surface_.SetPenColor(clBlue);
    c.commands(turtle_);
    EXPECT_EQ(turtle_.Path().Steps(), c.steps) << c.name;
    EXPECT_TRUE(turtle_.Path().Complete()) << c.name;
  }
}

// Past its bound the record only counts, and says that it is not complete.
TEST_F(DrawnPathTest, KeepsTheFirstPlacesAndCountsTheRest) {
  const std::size_t moves = kMaxPathPlaces + 9;
  for (std::size_t i = 0; i < moves; ++i) turtle_.MoveForward(i % 2 == 0 ? 1 : -1);
  const std::vector<PathStep> steps = turtle_.Path().Steps();
  ASSERT_EQ(steps.size(), kMaxPathPlaces - 1);
  EXPECT_EQ(steps.back(), Line({180, 223}, {180, 222}));
  EXPECT_FALSE(turtle_.Path().Complete());
  EXPECT_EQ(turtle_.Path().Omitted(), moves - steps.size());
  turtle_.ClearScreen();
  EXPECT_TRUE(turtle_.Path().Complete());
  EXPECT_TRUE(turtle_.Path().Steps().empty());
}

}  // namespace
}  // namespace kurovel
