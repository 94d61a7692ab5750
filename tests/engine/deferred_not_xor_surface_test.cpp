// The deferring surface against a raster drawn directly: the same pixels, pen
// and picture copies after any mix of operations, and an arrow erased right
// after it was drawn leaves the raster untouched.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <tuple>
#include <vector>

#include "engine/arrow.h"
#include "engine/deferred_not_xor_surface.h"
#include "engine/raster_surface.h"
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
