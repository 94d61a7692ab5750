// The off-screen drawing surface: 0xffRRGGBB words, row-major.

#include "engine/raster_surface.h"

#include <algorithm>
#include <cstddef>

#include "engine/line_raster.h"

namespace kurovel {

namespace {

constexpr std::uint32_t kOpaque = 0xff000000u;
constexpr std::uint32_t kWhiteWord = 0xffffffffu;

constexpr std::uint32_t ToWord(ColorValue color) {
  return kOpaque | ((color & 0xffu) << 16) | (color & 0xff00u) | ((color >> 16) & 0xffu);
}

constexpr ColorValue ToColor(std::uint32_t word) {
  return ((word >> 16) & 0xffu) | (word & 0xff00u) | ((word & 0xffu) << 16);
}

std::int32_t ClampSide(std::int32_t side) { return std::clamp(side, 0, kMaxPictureSide); }

// Per-pixel combination for the pen modes that change pixels. The opaque top
// byte survives NOT-XOR because it is set in both operands.
struct CopyOp {
  std::uint32_t pen;
  void operator()(std::uint32_t& pixel) const { pixel = pen; }
};
struct NotXorOp {
  std::uint32_t pen;
  void operator()(std::uint32_t& pixel) const { pixel = ~(pixel ^ pen); }
};

template <typename Op>
void FillSpan(std::uint32_t* row, std::int64_t left, std::int64_t right, Op op) {
  for (std::int64_t x = left; x < right; ++x) op(row[x]);
}

}  // namespace

RasterSurface::RasterSurface(std::int32_t width, std::int32_t height)
    : width_(ClampSide(width)),
      height_(ClampSide(height)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), kWhiteWord) {}

void RasterSurface::Resize(std::int32_t width, std::int32_t height) {
  width = ClampSide(width);
  height = ClampSide(height);
  if (width == width_ && height == height_) return;
  std::vector<std::uint32_t> resized(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                                     kWhiteWord);
  const std::int32_t keep_w = std::min(width, width_);
  const std::int32_t keep_h = std::min(height, height_);
  for (std::int32_t y = 0; y < keep_h; ++y) {
    const std::uint32_t* from = pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    std::copy(from, from + keep_w, resized.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width));
  }
  pixels_ = std::move(resized);
  width_ = width;
  height_ = height;
  // The row layout changed: whoever shows the surface must take it whole.
  dirty_ = PixelRect{};
  MarkDirty(0, 0, width_, height_);
}

void RasterSurface::MoveTo(std::int32_t x, std::int32_t y) {
  cur_x_ = x;
  cur_y_ = y;
}

void RasterSurface::LineTo(std::int32_t x, std::int32_t y) {
  if (pen_mode_ != PenMode::kNop) PlotClippedLine({cur_x_, cur_y_, x, y}, pen_mode_, pen_word_);
  cur_x_ = x;
  cur_y_ = y;
}

void RasterSurface::NotXorLines(std::span<const LineSegment> lines, ColorValue color) {
  if (lines.empty()) return;
  const std::uint32_t word = ToWord(color);
  for (const LineSegment& line : lines) PlotClippedLine(line, PenMode::kNotXor, word);
  cur_x_ = lines.back().x1;
  cur_y_ = lines.back().y1;
}

void RasterSurface::SetPenColor(ColorValue color) {
  pen_color_ = color;
  pen_word_ = ToWord(color);
}

ColorValue RasterSurface::PixelAt(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return clWhite;
  return ToColor(pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)]);
}

PixelRect RasterSurface::TakeDirtyRect() {
  const PixelRect taken = dirty_;
  dirty_ = PixelRect{};
  return taken;
}

void RasterSurface::MarkDirty(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  if (left >= right || top >= bottom) return;
  if (dirty_.Empty()) {
    dirty_ = {left, top, right, bottom};
    return;
  }
  dirty_.left = std::min(dirty_.left, left);
  dirty_.top = std::min(dirty_.top, top);
  dirty_.right = std::max(dirty_.right, right);
  dirty_.bottom = std::max(dirty_.bottom, bottom);
}

namespace {

// Steps along a line from its first visible pixel. The major axis moves one
// pixel every step; the minor axis moves when its remainder overflows. For a
// decreasing minor axis the remainder is mirrored (2n - 1 - r) so that both
// directions count upwards.
struct LineWalk {
  std::int64_t major_step = 0;  // in pixel words
  std::int64_t minor_step = 0;
  std::int64_t remainder = 0;
  std::int64_t increment = 0;   // 2 |minor delta|
  std::int64_t limit = 0;       // 2 n
};

template <typename Op>
std::uint32_t* WalkLine(std::uint32_t* pixel, std::int64_t count, LineWalk walk, Op op) {
  op(*pixel);
  for (std::int64_t k = count - 1; k > 0; --k) {
    pixel += walk.major_step;
    walk.remainder += walk.increment;
    if (walk.remainder >= walk.limit) {
      walk.remainder -= walk.limit;
      pixel += walk.minor_step;
    }
    op(*pixel);
  }
  return pixel;
}

}  // namespace

void RasterSurface::PlotClippedLine(const LineSegment& line, PenMode mode, std::uint32_t word) {
  const auto [x0, y0, x1, y1] = line;
  const LineSteps steps = VisibleLineSteps(x0, y0, x1, y1, width_, height_);
  if (steps.Empty()) return;
  const std::int64_t dx = std::int64_t{x1} - x0;
  const std::int64_t dy = std::int64_t{y1} - y0;
  const std::int64_t n = LineStepCount(x0, y0, x1, y1);
  const LineAxis xs(x0, dx, n, steps.first);
  const LineAxis ys(y0, dy, n, steps.first);
  const std::int64_t stride = width_;
  const bool x_major = (dx < 0 ? -dx : dx) == n;
  const std::int64_t minor_delta = x_major ? dy : dx;
  const LineAxis& minor = x_major ? ys : xs;
  LineWalk walk;
  walk.major_step = x_major ? (dx < 0 ? -1 : 1) : (dy < 0 ? -stride : stride);
  walk.minor_step = x_major ? (dy < 0 ? -stride : stride) : (dx < 0 ? -1 : 1);
  walk.limit = 2 * n;
  walk.increment = 2 * (minor_delta < 0 ? -minor_delta : minor_delta);
  walk.remainder = minor_delta < 0 ? walk.limit - 1 - minor.Remainder() : minor.Remainder();

  std::uint32_t* first = pixels_.data() + ys.Value() * stride + xs.Value();
  const std::int64_t count = steps.last - steps.first + 1;
  const std::int64_t last = (mode == PenMode::kCopy ? WalkLine(first, count, walk, CopyOp{word})
                                                     : WalkLine(first, count, walk, NotXorOp{word})) -
                            pixels_.data();
  // Both coordinates are monotone, so the two end pixels span the line's box.
  const auto first_x = static_cast<std::int32_t>(xs.Value());
  const auto first_y = static_cast<std::int32_t>(ys.Value());
  const auto last_x = static_cast<std::int32_t>(last % stride);
  const auto last_y = static_cast<std::int32_t>(last / stride);
  MarkDirty(std::min(first_x, last_x), std::min(first_y, last_y), std::max(first_x, last_x) + 1,
            std::max(first_y, last_y) + 1);
}

void RasterSurface::Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  if (pen_mode_ == PenMode::kNop) return;
  // The covered pixels are x1 .. x2 - 1 and y1 .. y2 - 1; an inverted rectangle covers none.
  const std::int64_t left = x1;
  const std::int64_t top = y1;
  const std::int64_t right = x2;
  const std::int64_t bottom = y2;
  if (left >= right || top >= bottom) return;
  const std::int64_t clip_left = std::max<std::int64_t>(left, 0);
  const std::int64_t clip_top = std::max<std::int64_t>(top, 0);
  const std::int64_t clip_right = std::min<std::int64_t>(right, width_);
  const std::int64_t clip_bottom = std::min<std::int64_t>(bottom, height_);
  if (clip_left >= clip_right || clip_top >= clip_bottom) return;

  // Each covered pixel is combined exactly once: with the pen on the outline
  // (first and last row, first and last column), with the white brush inside.
  const auto paint = [&](auto pen_op, auto brush_op) {
    for (std::int64_t y = clip_top; y < clip_bottom; ++y) {
      std::uint32_t* row = pixels_.data() + y * width_;
      if (y == top || y == bottom - 1) {
        FillSpan(row, clip_left, clip_right, pen_op);
        continue;
      }
      if (left == clip_left) pen_op(row[left]);
      if (right == clip_right && right - 1 > left) pen_op(row[right - 1]);
      FillSpan(row, std::max(clip_left, left + 1), std::min(clip_right, right - 1), brush_op);
    }
  };
  if (pen_mode_ == PenMode::kCopy) {
    paint(CopyOp{pen_word_}, CopyOp{kWhiteWord});
  } else {
    paint(NotXorOp{pen_word_}, NotXorOp{kWhiteWord});
  }
  MarkDirty(static_cast<std::int32_t>(clip_left), static_cast<std::int32_t>(clip_top),
            static_cast<std::int32_t>(clip_right), static_cast<std::int32_t>(clip_bottom));
}

void RasterSurface::CopyPictureIn(const Picture& picture, std::int32_t x, std::int32_t y, std::int32_t w,
                                  std::int32_t h) {
  // Source pixels that exist in the picture and land on the surface.
  const std::int64_t src_w = std::min<std::int64_t>(w, picture.Width());
  const std::int64_t src_h = std::min<std::int64_t>(h, picture.Height());
  const std::int64_t sx_begin = std::max<std::int64_t>(0, -std::int64_t{x});
  const std::int64_t sy_begin = std::max<std::int64_t>(0, -std::int64_t{y});
  const std::int64_t sx_end = std::min<std::int64_t>(src_w, std::int64_t{width_} - x);
  const std::int64_t sy_end = std::min<std::int64_t>(src_h, std::int64_t{height_} - y);
  if (sx_begin >= sx_end || sy_begin >= sy_end) return;
  const std::vector<ColorValue>& source = picture.Pixels();
  for (std::int64_t sy = sy_begin; sy < sy_end; ++sy) {
    const ColorValue* from = source.data() + sy * picture.Width();
    std::uint32_t* to = pixels_.data() + (sy + y) * width_;
    for (std::int64_t sx = sx_begin; sx < sx_end; ++sx) to[sx + x] = ToWord(from[sx]);
  }
  MarkDirty(static_cast<std::int32_t>(sx_begin + x), static_cast<std::int32_t>(sy_begin + y),
            static_cast<std::int32_t>(sx_end + x), static_cast<std::int32_t>(sy_end + y));
}

void RasterSurface::CopyPictureOut(Picture& picture, std::int32_t w, std::int32_t h) const {
  const std::int32_t copy_w = std::min({w, width_, picture.Width()});
  const std::int32_t copy_h = std::min({h, height_, picture.Height()});
  for (std::int32_t y = 0; y < copy_h; ++y) {
    for (std::int32_t x = 0; x < copy_w; ++x) picture.SetPixel(x, y, PixelAt(x, y));
  }
}

}  // namespace kurovel
