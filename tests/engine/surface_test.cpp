// The raster surface: pinned lines with clipping against a naive walk, pen
// modes, rectangles, picture copies, resizing and the dirty rectangle.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <optional>
#include <tuple>
#include <random>
#include <set>
#include <utility>

#include "engine/raster_surface.h"
#include "engine/rounding.h"

namespace kurovel {
namespace {

__extension__ using Int128 = __int128;
using Pixels = std::set<std::pair<std::int32_t, std::int32_t>>;

std::int64_t Floor(Int128 a, Int128 b) { return static_cast<std::int64_t>(a / b - ((a % b != 0) && ((a < 0) != (b < 0)))); }

// The line rule taken literally. Only steps whose major coordinate (which moves
// by one each step) lands inside are evaluated, so huge lines stay cheap.
Pixels NaiveLine(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::int32_t w, std::int32_t h) {
  const std::int64_t dx = std::int64_t{x1} - x0, dy = std::int64_t{y1} - y0;
  const std::int64_t n = std::max(std::abs(dx), std::abs(dy));
  const bool x_major = std::abs(dx) == n;
  const std::int64_t start = x_major ? x0 : y0, size = x_major ? w : h;
  const std::int64_t sign = (x_major ? dx : dy) < 0 ? -1 : 1;
  Pixels out;
  for (std::int64_t c = 0; c < size; ++c) {
    const std::int64_t i = (c - start) * sign;
    if (i < 0 || i >= n) continue;
    const std::int64_t x = x0 + Floor(Int128{2} * i * dx + n, Int128{2} * n);
    const std::int64_t y = y0 + Floor(Int128{2} * i * dy + n, Int128{2} * n);
    if (x >= 0 && x < w && y >= 0 && y < h) out.insert({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)});
  }
  return out;
}

Pixels NonWhite(const RasterSurface& s) {
  Pixels out;
  for (std::int32_t y = 0; y < s.Height(); ++y)
    for (std::int32_t x = 0; x < s.Width(); ++x)
      if (s.PixelAt(x, y) != clWhite) out.insert({x, y});
  return out;
}

TEST(RasterSurfaceLine, MatchesNaiveRuleOnRandomClippedAndHugeLines) {
  std::mt19937 rng(12345);
  const auto pick = [&](std::int64_t lo, std::int64_t hi) {
    return static_cast<std::int32_t>(std::uniform_int_distribution<std::int64_t>(lo, hi)(rng));
  };
  for (int round = 0; round < 20000; ++round) {
    const std::int32_t w = pick(1, 24), h = pick(1, 24);
    // Ends near the edges, far beyond them, or anywhere in the 32-bit range.
    const auto coord = [&](std::int32_t size) {
      switch (round % 3) {
        case 0: return pick(-8, size + 8);
        case 1: return pick(-200, size + 200);
        default: return pick(-2147483648LL, 2147483647LL);
      }
    };
    const std::int32_t x0 = coord(w), y0 = coord(h);
    const std::int32_t x1 = round % 5 == 0 ? pick(-2, w + 2) : coord(w), y1 = coord(h);
    RasterSurface surface(w, h);
    surface.MoveTo(x0, y0);
    surface.LineTo(x1, y1);
    const Pixels expected = NaiveLine(x0, y0, x1, y1, w, h);
    ASSERT_EQ(NonWhite(surface), expected) << x0 << "," << y0 << " -> " << x1 << "," << y1 << " on " << w << "x" << h;
    const PixelRect dirty = surface.TakeDirtyRect();
    if (expected.empty()) {
      EXPECT_TRUE(dirty.Empty());
      continue;
    }
    std::int32_t left = w, top = h, right = 0, bottom = 0;
    for (const auto& [x, y] : expected) {
      left = std::min(left, x), top = std::min(top, y), right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
    }
    ASSERT_EQ(std::tie(dirty.left, dirty.top, dirty.right, dirty.bottom), std::tie(left, top, right, bottom));
  }
}

TEST(RasterSurfaceLine, PenModesCombinePerPixel) {
  constexpr ColorValue kOld = MakeColor(0x12, 0x34, 0x56), kPen = MakeColor(0xf0, 0x0f, 0x33);
  const struct {
    PenMode mode;
    ColorValue expected;
  } cases[] = {
      {PenMode::pmCopy, kPen},
      {PenMode::pmNotXor, ~(kPen ^ kOld) & 0xffffffu},
      {PenMode::pmNop, kOld},
  };
  for (const auto& c : cases) {
    RasterSurface surface(3, 1);
    Picture old(3, 1);
    old.SetPixel(0, 0, kOld);
    surface.CopyPictureIn(old, 0, 0, 3, 1);
    surface.TakeDirtyRect();
    surface.SetPenColor(kPen);
    surface.SetPenMode(c.mode);
    surface.MoveTo(0, 0);
    surface.LineTo(1, 0);
    EXPECT_EQ(surface.PixelAt(0, 0), c.expected);
    EXPECT_EQ(surface.PixelAt(1, 0), clWhite);  // the end pixel is never drawn
    EXPECT_EQ(surface.Bits()[0], 0xff000000u | ((c.expected & 0xff) << 16) | (c.expected & 0xff00) | (c.expected >> 16));
    EXPECT_EQ(surface.TakeDirtyRect().Empty(), c.mode == PenMode::pmNop);
  }
}

TEST(RasterSurface, RectangleOutlinesWithPenAndFillsWithWhiteUnderTheMode) {
  constexpr ColorValue kGround = MakeColor(0, 200, 0), kPen = MakeColor(0, 0, 0);
  const struct {
    PenMode mode;
    std::int32_t x1, y1, x2, y2;
  } cases[] = {
      {PenMode::pmCopy, 1, 1, 6, 5},   {PenMode::pmNotXor, 1, 1, 6, 5}, {PenMode::pmNop, 1, 1, 6, 5},
      {PenMode::pmCopy, -3, -2, 4, 3}, {PenMode::pmNotXor, 2, 0, 3, 6}, {PenMode::pmNotXor, 0, 2, 8, 3},
      {PenMode::pmCopy, 5, 5, 2, 2},   {PenMode::pmCopy, 6, 4, 100, 100},
  };
  for (const auto& c : cases) {
    RasterSurface surface(8, 6);
    surface.CopyPictureIn([&] { Picture p(8, 6); for (int i = 0; i < 48; ++i) p.SetPixel(i % 8, i / 8, kGround); return p; }(), 0, 0, 8, 6);
    surface.SetPenColor(kPen);
    surface.SetPenMode(c.mode);
    surface.Rectangle(c.x1, c.y1, c.x2, c.y2);
    for (std::int32_t y = 0; y < 6; ++y) {
      for (std::int32_t x = 0; x < 8; ++x) {
        ColorValue want = kGround;
        if (c.mode != PenMode::pmNop && x >= c.x1 && x < c.x2 && y >= c.y1 && y < c.y2) {
          const bool outline = x == c.x1 || x == c.x2 - 1 || y == c.y1 || y == c.y2 - 1;
          const ColorValue src = outline ? kPen : clWhite;
          want = c.mode == PenMode::pmCopy ? src : ~(src ^ kGround) & 0xffffffu;
        }
        ASSERT_EQ(surface.PixelAt(x, y), want) << "case " << (&c - cases) << " at " << x << "," << y;
      }
    }
  }
}

Picture Numbered(std::int32_t w, std::int32_t h) {
  Picture p(w, h);
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x) p.SetPixel(x, y, static_cast<ColorValue>(1 + x + 16 * y));
  return p;
}

TEST(RasterSurface, PictureCopiesAreClippedToBothSides) {
  const struct {
    std::int32_t x, y, w, h;
  } cases[] = {{0, 0, 4, 3}, {-2, -1, 4, 3}, {3, 2, 4, 3}, {1, 1, 9, 9}, {1, 1, 2, 1}, {0, 0, -1, 3}, {6, 0, 4, 3}};
  const Picture source = Numbered(4, 3);
  for (const auto& c : cases) {
    RasterSurface surface(6, 4);
    surface.SetPenMode(PenMode::pmNop);  // a plain copy ignores the pen mode
    surface.CopyPictureIn(source, c.x, c.y, c.w, c.h);
    for (std::int32_t y = 0; y < 4; ++y) {
      for (std::int32_t x = 0; x < 6; ++x) {
        const std::int32_t sx = x - c.x, sy = y - c.y;
        const bool copied = sx >= 0 && sy >= 0 && sx < std::min(c.w, 4) && sy < std::min(c.h, 3);
        ASSERT_EQ(surface.PixelAt(x, y), copied ? source.PixelAt(sx, sy) : clWhite) << x << "," << y;
      }
    }
    Picture out(5, 2);
    surface.CopyPictureOut(out, c.w, c.h);
    for (std::int32_t y = 0; y < 2; ++y)
      for (std::int32_t x = 0; x < 5; ++x)
        ASSERT_EQ(out.PixelAt(x, y), x < c.w && y < c.h ? surface.PixelAt(x, y) : clWhite);
  }
}

TEST(Picture, ResizeKeepsTopLeftPixelsAndWhitensNewOnes) {
  const std::pair<std::int32_t, std::int32_t> sizes[] = {{5, 1}, {2, 4}, {0, 3}, {-1, -1}, {4, 3}};
  for (const auto& [w, h] : sizes) {
    Picture p = Numbered(4, 3);
    p.Resize(w, h);
    ASSERT_EQ(p.Width(), std::max(w, 0));
    ASSERT_EQ(p.Height(), std::max(h, 0));
    ASSERT_EQ(p.Pixels().size(), static_cast<std::size_t>(p.Width() * p.Height()));
    for (std::int32_t y = 0; y < p.Height(); ++y)
      for (std::int32_t x = 0; x < p.Width(); ++x)
        ASSERT_EQ(p.PixelAt(x, y), x < 4 && y < 3 ? static_cast<ColorValue>(1 + x + 16 * y) : clWhite);
  }
}

TEST(RasterSurface, ResizeKeepsPixelsClampsSidesAndMarksAllDirty) {
  RasterSurface surface(4, 4);
  surface.CopyPictureIn(Numbered(4, 4), 0, 0, 4, 4);
  surface.TakeDirtyRect();
  surface.Resize(6, 2);
  EXPECT_EQ(surface.PixelAt(3, 1), 1u + 3 + 16);
  EXPECT_EQ(surface.PixelAt(4, 1), clWhite);
  const PixelRect dirty = surface.TakeDirtyRect();
  EXPECT_EQ(std::tie(dirty.left, dirty.top, dirty.right, dirty.bottom), std::make_tuple(0, 0, 6, 2));
  EXPECT_TRUE(surface.TakeDirtyRect().Empty());
  surface.Resize(-5, 1 << 30);
  EXPECT_EQ(surface.Width(), 0);
  EXPECT_EQ(surface.Height(), RasterSurface::kMaxSide);
}

TEST(Rounding, HalfToEvenWithinTheSixtyFourBitRange) {
  const struct {
    long double value;
    std::optional<std::int64_t> expected;
  } cases[] = {
      {2.5L, 2}, {3.5L, 4}, {-2.5L, -2}, {0.5L, 0}, {-0.5L, 0}, {1.4999L, 1}, {-7.6L, -8},
      {-9223372036854775808.0L, INT64_MIN}, {9223372036854775807.0L, INT64_MAX},
      {9223372036854775808.0L, std::nullopt}, {1e300L, std::nullopt},
      {std::numeric_limits<long double>::infinity(), std::nullopt},
      {std::numeric_limits<long double>::quiet_NaN(), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.value), c.expected) << static_cast<double>(c.value);
}

}  // namespace
}  // namespace kurovel
