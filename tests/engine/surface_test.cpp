// The raster surface: pinned lines with clipping against a naive walk, pen
// modes, rectangles, picture copies, resizing and the dirty rectangle.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <optional>
#include <random>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/raster_surface.h"
#include "engine/extended_real.h"
#include "engine/rounding.h"

namespace kurovel {
namespace {

__extension__ using Int128 = __int128;
using Pixels = std::set<std::pair<std::int32_t, std::int32_t>>;

std::int64_t FloorDiv(Int128 a, Int128 b) { return static_cast<std::int64_t>(a / b - (a % b != 0 && (a < 0) != (b < 0))); }

// The line rule taken literally. Only steps whose major coordinate (which moves
// by one each step) lands inside are evaluated, so huge lines stay cheap.
Pixels NaiveLine(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::int32_t w, std::int32_t h) {
  const std::int64_t dx = std::int64_t{x1} - x0, dy = std::int64_t{y1} - y0;
  const std::int64_t n = std::max(std::abs(dx), std::abs(dy));
  const bool x_major = std::abs(dx) == n;
  const std::int64_t start = x_major ? x0 : y0, sign = (x_major ? dx : dy) < 0 ? -1 : 1;
  Pixels out;
  for (std::int64_t c = 0; c < (x_major ? w : h); ++c) {
    const std::int64_t i = (c - start) * sign;
    if (i < 0 || i >= n) continue;
    const std::int64_t x = x0 + FloorDiv(Int128{2} * i * dx + n, Int128{2} * n);
    const std::int64_t y = y0 + FloorDiv(Int128{2} * i * dy + n, Int128{2} * n);
    if (x >= 0 && x < w && y >= 0 && y < h) out.insert({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)});
  }
  return out;
}

TEST(RasterSurfaceLine, MatchesNaiveRuleOnRandomClippedAndHugeLines) {
  std::mt19937 rng(12345);
  const auto pick = [&](std::int64_t lo, std::int64_t hi) {
    return static_cast<std::int32_t>(std::uniform_int_distribution<std::int64_t>(lo, hi)(rng));
  };
  for (int round = 0; round < 20000; ++round) {
    const std::int32_t w = pick(1, 24), h = pick(1, 24);
    // Ends near the edges, beyond them, anywhere in 32 bits, or far apart on
    // opposite sides so that the line crosses the surface.
    const auto ends = [&](std::int32_t size) -> std::pair<std::int32_t, std::int32_t> {
      switch (round % 4) {
        case 0: return {pick(-8, size + 8), pick(-8, size + 8)};
        case 1: return {pick(-200, size + 200), pick(-3, size + 3)};
        case 2: return {pick(INT32_MIN, INT32_MAX), pick(INT32_MIN, INT32_MAX)};
        default: {
          const std::int32_t far = pick(INT32_MIN + 30, -30);
          return {far, size - far + pick(-3, 3)};
        }
      }
    };
    const auto [x0, x1] = ends(w);
    const auto [y0, y1] = ends(h);
    RasterSurface surface(w, h);
    surface.SetPenColor(clRed);  // on white, copy and NOT-XOR both give red: 0xffff0000
    surface.SetPenMode(round % 2 ? PenMode::kCopy : PenMode::kNotXor);
    surface.MoveTo(x0, y0);
    surface.LineTo(x1, y1);
    const Pixels expected = NaiveLine(x0, y0, x1, y1, w, h);
    Pixels drawn;
    PixelRect box{w, h, 0, 0};
    for (std::int32_t i = 0; i < w * h; ++i) {
      if (surface.Bits()[i] == 0xffffffffu) continue;
      ASSERT_EQ(surface.Bits()[i], 0xffff0000u);
      drawn.insert({i % w, i / w});
    }
    for (const auto& [x, y] : expected) box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
    ASSERT_EQ(drawn, expected) << x0 << "," << y0 << " -> " << x1 << "," << y1 << " on " << w << "x" << h;
    const PixelRect dirty = surface.TakeDirtyRect();
    ASSERT_EQ(dirty.Empty(), expected.empty());
    if (!expected.empty()) {
      ASSERT_EQ(std::tie(dirty.left, dirty.top, dirty.right, dirty.bottom), std::tie(box.left, box.top, box.right, box.bottom));
    }
  }
}

Picture Numbered(std::int32_t w, std::int32_t h) {
  Picture p(w, h);
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x) p.SetPixel(x, y, static_cast<ColorValue>(1 + x + 16 * y));
  return p;
}

// The expected pixel when `source` (pen or brush) is put on `old` under a mode.
ColorValue Combine(PenMode mode, ColorValue source, ColorValue old) {
  return mode == PenMode::kCopy ? source : mode == PenMode::kNotXor ? ~(source ^ old) & 0xffffffu : old;
}

TEST(RasterSurface, RectangleOutlinesWithPenAndFillsWithWhiteUnderTheMode) {
  constexpr ColorValue kPen = MakeColor(0xf0, 0x0f, 0x33);
  const struct {
    PenMode mode;
    std::int32_t x1, y1, x2, y2;
  } cases[] = {{PenMode::kCopy, 1, 1, 6, 5},   {PenMode::kNotXor, 1, 1, 6, 5}, {PenMode::kNop, 1, 1, 6, 5},
               {PenMode::kCopy, -3, -2, 4, 3}, {PenMode::kNotXor, 2, 0, 3, 6}, {PenMode::kNotXor, 0, 2, 8, 3},
               {PenMode::kCopy, 5, 5, 2, 2},   {PenMode::kCopy, 6, 4, 100, 100}};
  for (const auto& c : cases) {
    RasterSurface surface(8, 6);
    surface.CopyPictureIn(Numbered(8, 6), 0, 0, 8, 6);
    surface.TakeDirtyRect();
    surface.SetPenColor(kPen);
    surface.SetPenMode(c.mode);
    surface.Rectangle(c.x1, c.y1, c.x2, c.y2);
    for (std::int32_t y = 0; y < 6; ++y) {
      for (std::int32_t x = 0; x < 8; ++x) {
        const bool covered = x >= c.x1 && x < c.x2 && y >= c.y1 && y < c.y2;
        const bool outline = x == c.x1 || x == c.x2 - 1 || y == c.y1 || y == c.y2 - 1;
        const ColorValue ground = 1 + x + 16 * y;
        const ColorValue want = covered ? Combine(c.mode, outline ? kPen : clWhite, ground) : ground;
        ASSERT_EQ(surface.PixelAt(x, y), want) << "case " << (&c - cases) << " at " << x << "," << y;
      }
    }
    EXPECT_EQ(surface.TakeDirtyRect().Empty(), c.mode == PenMode::kNop || c.x1 >= c.x2);
  }
}

TEST(RasterSurface, NotXorLinesDrawAsANotXorPenAndLeaveThePenAlone) {
  constexpr ColorValue kPen = MakeColor(0x12, 0x34, 0x56);
  constexpr ColorValue kLines = MakeColor(0xf0, 0x0f, 0x33);
  const std::vector<std::vector<LineSegment>> cases = {
      {},
      {{1, 1, 6, 4}},
      {{0, 0, 7, 5}, {7, 0, 0, 5}},                            // crossing: the shared pixel toggled twice
      {{3, 3, -4, -9}, {2, 1, 2, 1}, {5, 5, 5, 0}, {-1, 2, 9, 2}},  // clipped, empty, vertical, horizontal
  };
  for (const std::vector<LineSegment>& lines : cases) {
    RasterSurface by_pen(8, 6);
    RasterSurface by_call(8, 6);
    for (RasterSurface* surface : {&by_pen, &by_call}) surface->CopyPictureIn(Numbered(8, 6), 0, 0, 8, 6);
    by_pen.SetPenColor(kLines);
    by_pen.SetPenMode(PenMode::kNotXor);
    for (const LineSegment& line : lines) {
      by_pen.MoveTo(line.x0, line.y0);
      by_pen.LineTo(line.x1, line.y1);
    }
    by_call.SetPenColor(kPen);
    by_call.SetPenMode(PenMode::kCopy);
    by_call.NotXorLines(lines, kLines);
    const std::size_t index = static_cast<std::size_t>(&lines - cases.data());
    EXPECT_EQ(std::vector<std::uint32_t>(by_call.Bits(), by_call.Bits() + 48),
              std::vector<std::uint32_t>(by_pen.Bits(), by_pen.Bits() + 48))
        << "case " << index;
    EXPECT_EQ(by_call.GetPenColor(), kPen);
    EXPECT_EQ(by_call.GetPenMode(), PenMode::kCopy);
    // The current point is the last line's end, as after the pen's last LineTo.
    by_pen.SetPenColor(kPen);
    by_pen.SetPenMode(PenMode::kCopy);
    for (RasterSurface* surface : {&by_pen, &by_call}) surface->LineTo(4, 5);
    EXPECT_EQ(std::vector<std::uint32_t>(by_call.Bits(), by_call.Bits() + 48),
              std::vector<std::uint32_t>(by_pen.Bits(), by_pen.Bits() + 48))
        << "case " << index;
  }
}

TEST(RasterSurface, PictureCopiesAreClippedToBothSides) {
  const struct {
    std::int32_t x, y, w, h;
  } cases[] = {{-2, -1, 4, 3}, {3, 2, 4, 3}, {1, 1, 9, 9}, {1, 1, 2, 1}, {0, 0, -1, 3}, {6, 0, 4, 3}};
  const Picture source = Numbered(4, 3);
  for (const auto& c : cases) {
    RasterSurface surface(6, 4);
    surface.SetPenMode(PenMode::kNop);  // a plain copy ignores the pen mode
    surface.CopyPictureIn(source, c.x, c.y, c.w, c.h);
    Picture out(5, 2);
    surface.CopyPictureOut(out, c.w, c.h);
    for (std::int32_t y = 0; y < 4; ++y) {
      for (std::int32_t x = 0; x < 6; ++x) {
        const std::int32_t sx = x - c.x, sy = y - c.y;
        const bool copied = sx >= 0 && sy >= 0 && sx < std::min(c.w, 4) && sy < std::min(c.h, 3);
        ASSERT_EQ(surface.PixelAt(x, y), copied ? source.PixelAt(sx, sy) : clWhite) << x << "," << y;
        ASSERT_EQ(out.PixelAt(x, y), x < std::min(c.w, 5) && y < std::min(c.h, 2) ? surface.PixelAt(x, y) : clWhite);
      }
    }
  }
}

TEST(Picture, ResizeKeepsTopLeftPixelsAndWhitensNewOnes) {
  for (const auto& [w, h] : {std::pair{5, 1}, {2, 4}, {0, 3}, {-1, -1}, {4, 3}}) {
    Picture p = Numbered(4, 3);
    p.Resize(w, h);
    ASSERT_EQ(std::tuple(p.Width(), p.Height(), p.Pixels().size()),
              std::tuple(std::max(w, 0), std::max(h, 0), static_cast<std::size_t>(std::max(w, 0) * std::max(h, 0))));
    for (std::int32_t y = 0; y < p.Height(); ++y)
      for (std::int32_t x = 0; x < p.Width(); ++x) ASSERT_EQ(p.PixelAt(x, y), x < 4 && y < 3 ? 1u + x + 16 * y : clWhite);
  }
}

TEST(Rounding, HalfToEvenWithinTheSixtyFourBitRange) {
  const struct {
    std::int32_t n;
    double factor;
    std::optional<std::int64_t> expected;
  } cases[] = {{5, 0.5, 2},  {7, 0.5, 4}, {-5, 0.5, -2}, {-76, 0.1, -8}, {INT32_MIN, 4294967296.0, INT64_MIN},
               {INT32_MIN, -4294967296.0, std::nullopt}, {1, std::numeric_limits<double>::quiet_NaN(), std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(ExtendedProduct(c.n, c.factor)), c.expected) << c.n << " * " << c.factor;
}

}  // namespace
}  // namespace kurovel
