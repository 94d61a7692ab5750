// The held-back surface against a raster drawn directly: the same pixels, pen
// and picture copies after any mix of operations and turtle commands, with
// resizes, pictures and reads in between; a refresh that takes the dirty
// rectangle never misses a changed pixel; and an arrow erased right after it
// was drawn leaves the raster untouched.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/arrow.h"
#include "engine/deferred_not_xor_surface.h"
#include "engine/raster_surface.h"
#include "engine/turtle.h"
#include "engine/turtle_state.h"

namespace kurovel {
namespace {

constexpr std::int32_t kWidth = 40;
constexpr std::int32_t kHeight = 30;

std::vector<std::uint32_t> PixelsOf(const RasterSurface& raster) {
  const std::uint32_t* bits = raster.Bits();
  return {bits, bits + static_cast<std::size_t>(raster.Width()) * raster.Height()};
}

// One drawing step applied to both surfaces.
using Step = void (*)(DrawingSurface&, std::mt19937&);

std::int32_t Coordinate(std::mt19937& rng) { return std::uniform_int_distribution<std::int32_t>(-10, 50)(rng); }

const Step kSteps[] = {
    [](DrawingSurface& s, std::mt19937& rng) { s.MoveTo(Coordinate(rng), Coordinate(rng)); },
    [](DrawingSurface& s, std::mt19937& rng) { s.LineTo(Coordinate(rng), Coordinate(rng)); },
    [](DrawingSurface& s, std::mt19937& rng) {
      s.SetPenMode(static_cast<PenMode>(std::uniform_int_distribution<int>(0, 2)(rng)));
    },
    [](DrawingSurface& s, std::mt19937& rng) {
      const ColorValue colors[] = {clRed, clBlue, clWhite, MakeColor(10, 200, 30)};
      s.SetPenColor(colors[std::uniform_int_distribution<int>(0, 3)(rng)]);
    },
    [](DrawingSurface& s, std::mt19937& rng) {
      s.Rectangle(Coordinate(rng), Coordinate(rng), Coordinate(rng), Coordinate(rng));
    },
    [](DrawingSurface& s, std::mt19937& rng) {
      Picture picture(7, 5);
      picture.SetPixel(1, 1, clRed);
      s.CopyPictureIn(picture, Coordinate(rng), Coordinate(rng), 7, 5);
    },
    [](DrawingSurface& s, std::mt19937& rng) {  // an arrow drawn, often twice in a row
      TurtleState state;
      state.x = Coordinate(rng);
      state.y = Coordinate(rng);
      state.heading = std::uniform_int_distribution<std::int32_t>(0, 359)(rng);
      state.pen_down = true;
      DrawArrow(state, s);
      if (rng() % 2 == 0) DrawArrow(state, s);
    },
    [](DrawingSurface& s, std::mt19937& rng) {  // up to six lines (more than are held together), then
                                                // often the same again, or nearly the same
      std::vector<LineSegment> lines(std::uniform_int_distribution<std::size_t>(0, 6)(rng));
      for (LineSegment& line : lines) line = {Coordinate(rng), Coordinate(rng), Coordinate(rng), Coordinate(rng)};
      const ColorValue color = rng() % 2 == 0 ? clRed : MakeColor(0, 90, 200);
      s.NotXorLines(lines, color);
      switch (rng() % 4) {
        case 0:
          s.NotXorLines(lines, color);
          break;
        case 1:
          s.NotXorLines(lines, color ^ MakeColor(0, 255, 0));
          break;
        case 2:
          if (lines.empty()) break;
          ++lines.back().x1;
          s.NotXorLines(lines, color);
          break;
        default:
          break;
      }
    },
};

TEST(DeferredNotXorSurface, RandomOperationsLeaveTheSamePixelsAndPenAsDrawingDirectly) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 300; ++round) {
    RasterSurface direct(kWidth, kHeight);
    RasterSurface behind(kWidth, kHeight);
    DeferredNotXorSurface deferring(behind);
    for (int step = 0; step < 60; ++step) {
      const Step& apply = kSteps[std::uniform_int_distribution<std::size_t>(0, std::size(kSteps) - 1)(rng)];
      const std::mt19937 seed = rng;
      apply(direct, rng);
      rng = seed;
      apply(deferring, rng);
      ASSERT_EQ(deferring.GetPenColor(), direct.GetPenColor());
      ASSERT_EQ(behind.GetPenMode(), direct.GetPenMode());
      if (rng() % 4 != 0) continue;
      ASSERT_EQ(PixelsOf(deferring.Flushed()), PixelsOf(direct)) << "round " << round << " step " << step;
    }
    Picture from_direct(kWidth, kHeight);
    Picture from_deferring(kWidth, kHeight);
    direct.CopyPictureOut(from_direct, kWidth, kHeight);
    deferring.CopyPictureOut(from_deferring, kWidth, kHeight);
    ASSERT_EQ(from_deferring.Pixels(), from_direct.Pixels()) << "round " << round;
  }
}

// A turtle on a plain raster and a turtle on the held-back surface, given the
// same script; the front ends' reads of pixels are steps of their own.
class SideBySide {
 public:
  SideBySide() {
    // As a session starts: the arrow drawn once.
    direct_turtle_.DrawArrow();
    deferred_turtle_.DrawArrow();
  }

  // One step: a turtle command with its numbers, or
  //   resize W H           the surface's new size (read through Flushed()), the
  //                        turtle recentred, as the desktop's layout does
  //   background X Y       a picture laid under the arrow at (X, Y)
  //   rect X1 Y1 X2 Y2     a rectangle with the pen
  //   snapshot             the whole surface copied into a picture
  //   refresh              the refresh's read: pixels and dirty rectangle
  //   untouched            nothing reached the raster since the last refresh
  void Apply(const std::string& step) {
    std::istringstream words(step);
    std::string name;
    words >> name;
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t c = 0;
    std::int32_t d = 0;
    words >> a >> b >> c >> d;
    if (name == "resize") {
      direct_.Resize(a, b);
      deferring_.Flushed().Resize(a, b);
      direct_turtle_.Recentre();
      deferred_turtle_.Recentre();
    } else if (name == "background") {
      Picture picture(9, 7);
      for (std::int32_t k = 0; k < 7; ++k) picture.SetPixel(k, k, MakeColor(0, 120, 0));
      for (Turtle* turtle : {&direct_turtle_, &deferred_turtle_}) {
        turtle->DrawArrow();
        turtle->Surface().CopyPictureIn(picture, a, b, picture.Width(), picture.Height());
        turtle->DrawArrow();
      }
    } else if (name == "rect") {
      direct_.Rectangle(a, b, c, d);
      deferring_.Rectangle(a, b, c, d);
    } else if (name == "snapshot") {
      Picture from_direct(direct_.Width(), direct_.Height());
      Picture from_deferring(direct_.Width(), direct_.Height());
      direct_.CopyPictureOut(from_direct, direct_.Width(), direct_.Height());
      deferring_.CopyPictureOut(from_deferring, direct_.Width(), direct_.Height());
      EXPECT_EQ(from_deferring.Pixels(), from_direct.Pixels()) << step;
    } else if (name == "refresh") {
      Refresh();
    } else if (name == "untouched") {
      EXPECT_TRUE(behind_.TakeDirtyRect().Empty()) << step;
    } else {
      for (Turtle* turtle : {&direct_turtle_, &deferred_turtle_}) Command(*turtle, name, a, b);
    }
    // The pen and the turtle never wait for the pixels.
    EXPECT_EQ(deferring_.GetPenColor(), direct_.GetPenColor()) << step;
    EXPECT_EQ(behind_.GetPenMode(), direct_.GetPenMode()) << step;
    const TurtleState& one = direct_turtle_.State();
    const TurtleState& other = deferred_turtle_.State();
    EXPECT_EQ(std::tie(one.x, one.y, one.heading, one.pen_down, one.arrow_visible, one.color_cycle_index),
              std::tie(other.x, other.y, other.heading, other.pen_down, other.arrow_visible, other.color_cycle_index))
        << step;
  }

 private:
  static void Command(Turtle& turtle, const std::string& name, std::int32_t a, std::int32_t b) {
    if (name == "fd") return turtle.MoveForward(a);
    if (name == "bk") return turtle.MoveBack(a);
    if (name == "rt") return turtle.TurnRight(a);
    if (name == "lt") return turtle.TurnLeft(a);
    if (name == "pd") return turtle.PenDown(a);
    if (name == "pu") return turtle.PenUp();
    if (name == "cls") return turtle.ClearScreen();
    if (name == "rp") return turtle.GoHome();
    if (name == "rdi") return turtle.ResetHeading();
    if (name == "sho") return turtle.ToggleArrow();
    if (name == "pos") return turtle.MoveToPosition(a, b);
    ADD_FAILURE() << "no such step: " << name;
  }

  // The same pixels as drawing directly, and every pixel changed since the last
  // refresh inside the dirty rectangle that this one takes.
  void Refresh() {
    const RasterSurface& raster = deferring_.Flushed();
    const std::vector<std::uint32_t> now = PixelsOf(raster);
    EXPECT_EQ(now, PixelsOf(direct_));
    const PixelRect dirty = deferring_.Flushed().TakeDirtyRect();
    const std::int32_t w = raster.Width();
    if (now.size() == last_refresh_.size()) {
      for (std::size_t k = 0; k < now.size(); ++k) {
        if (now[k] == last_refresh_[k]) continue;
        const auto x = static_cast<std::int32_t>(k % static_cast<std::size_t>(w));
        const auto y = static_cast<std::int32_t>(k / static_cast<std::size_t>(w));
        EXPECT_TRUE(x >= dirty.left && x < dirty.right && y >= dirty.top && y < dirty.bottom)
            << "(" << x << ", " << y << ") changed outside the dirty rectangle";
      }
    }
    last_refresh_ = now;
  }

  RasterSurface direct_{kWidth, kHeight};
  RasterSurface behind_{kWidth, kHeight};
  DeferredNotXorSurface deferring_{behind_};
  Turtle direct_turtle_{direct_};
  Turtle deferred_turtle_{deferring_};
  std::vector<std::uint32_t> last_refresh_ = PixelsOf(behind_);
};

TEST(DeferredNotXorSurface, TurtleScriptsLeaveWhatDrawingDirectlyLeaves) {
  const struct {
    const char* name;
    std::vector<std::string> steps;
  } cases[] = {
      {"a refresh after every command", {"fd 10", "refresh", "rt 30", "refresh", "fd 5", "refresh", "bk 3", "refresh"}},
      {"many commands between refreshes",
       {"fd 1", "rt 1", "fd 1", "rt 1", "fd 2", "rt 7", "fd 3", "lt 20", "fd 4", "refresh", "fd 6", "rt 90", "refresh"}},
      {"turns in place reach the raster only when refreshed",
       {"rt 10", "lt 20", "rt 90", "rdi", "untouched", "refresh", "rt 5", "refresh", "rt 5", "rt 5", "refresh"}},
      {"pen up, palette colours and a hidden arrow",
       {"pu", "fd 8", "pd 3", "fd 6", "sho", "fd 4", "rt 45", "refresh", "sho", "pd 99", "fd 7", "pd 99", "bk 9",
        "refresh"}},
      {"clear screen, home and heading", {"fd 12", "cls", "refresh", "rt 70", "fd 9", "rp", "rdi", "refresh", "cls"}},
      {"resizes with the arrow held back",
       {"rt 30", "resize 30 20", "refresh", "fd 5", "resize 50 45", "fd 12", "refresh", "resize 0 0", "fd 3",
        "refresh", "resize 40 30", "rt 10", "refresh"}},
      {"pictures under the arrow and copied out",
       {"fd 6", "background 3 4", "refresh", "rt 20", "background -5 10", "snapshot", "fd 10", "snapshot",
        "refresh"}},
      {"rectangles between commands", {"fd 5", "rect 2 2 30 20", "rt 15", "pu", "rect -4 6 12 40", "refresh"}},
      {"far off and huge moves",
       {"pos 1000 1000", "refresh", "fd 2147483647", "rt 1", "pos -3 -4", "refresh", "pos 19 -14", "refresh"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SideBySide sides;
    for (const std::string& step : c.steps) sides.Apply(step);
    sides.Apply("snapshot");
    sides.Apply("refresh");
  }
}

TEST(DeferredNotXorSurface, ArrowErasedRightAfterDrawingTouchesNoPixel) {
  RasterSurface raster(kWidth, kHeight);
  DeferredNotXorSurface deferring(raster);
  TurtleState state;
  state.x = 20;
  state.y = 15;
  state.pen_down = true;
  const std::vector<std::uint32_t> before = PixelsOf(raster);
  DrawArrow(state, deferring);
  DrawArrow(state, deferring);
  const PixelRect dirty = deferring.Flushed().TakeDirtyRect();
  EXPECT_TRUE(dirty.Empty());
  EXPECT_EQ(PixelsOf(raster), before);
}

TEST(DeferredNotXorSurface, FlushedShowsAHeldArrowAndMarksItDirty) {
  RasterSurface direct(kWidth, kHeight);
  RasterSurface behind(kWidth, kHeight);
  DeferredNotXorSurface deferring(behind);
  TurtleState state;
  state.x = 20;
  state.y = 15;
  DrawArrow(state, direct);
  DrawArrow(state, deferring);
  RasterSurface& flushed = deferring.Flushed();
  EXPECT_EQ(PixelsOf(flushed), PixelsOf(direct));
  const PixelRect dirty = flushed.TakeDirtyRect();
  const PixelRect expected = direct.TakeDirtyRect();
  EXPECT_EQ(std::tie(dirty.left, dirty.top, dirty.right, dirty.bottom),
            std::tie(expected.left, expected.top, expected.right, expected.bottom));
}

}  // namespace
}  // namespace kurovel
