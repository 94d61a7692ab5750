// Not-xor lines held back until something else is drawn or the pixels are read.

#include "engine/deferred_not_xor_surface.h"

#include <algorithm>

namespace kurovel {

DeferredNotXorSurface::DeferredNotXorSurface(RasterSurface& raster) : raster_(raster) {}

void DeferredNotXorSurface::MoveTo(std::int32_t x, std::int32_t y) {
  cur_x_ = x;
  cur_y_ = y;
}

void DeferredNotXorSurface::LineTo(std::int32_t x, std::int32_t y) {
  const LineSegment line{cur_x_, cur_y_, x, y};
  cur_x_ = x;
  cur_y_ = y;
  switch (raster_.GetPenMode()) {
    case PenMode::kNop:
      return;
    case PenMode::kCopy:
      DrawHeldLines();
      raster_.MoveTo(line.x0, line.y0);
      raster_.LineTo(line.x1, line.y1);
      return;
    case PenMode::kNotXor:
      Hold(std::span(&line, 1), raster_.GetPenColor());
      return;
  }
}

void DeferredNotXorSurface::NotXorLines(std::span<const LineSegment> lines, ColorValue color) {
  if (lines.empty()) return;
  cur_x_ = lines.back().x1;
  cur_y_ = lines.back().y1;
  if (lines.size() > kMaxLinesHeldTogether) {  // commutes with the held lines: drawn at once
    raster_.NotXorLines(lines, color);
    return;
  }
  Hold(lines, color);
}

bool DeferredNotXorSurface::HeldLines::Same(std::span<const LineSegment> other, ColorValue other_color) const {
  return count == other.size() && color == other_color && std::equal(other.begin(), other.end(), lines.begin());
}

void DeferredNotXorSurface::Hold(std::span<const LineSegment> lines, ColorValue color) {
  for (std::size_t k = 0; k < held_count_; ++k) {
    if (held_[k].Same(lines, color)) {  // drawn twice: the pixels are back as they were
      held_[k] = held_[--held_count_];
      return;
    }
  }
  if (held_count_ == kMaxHeld) DrawHeldLines();
  HeldLines& held = held_[held_count_++];
  // A loop of fixed length: no call to copy a few words.
  for (std::size_t k = 0; k < kMaxLinesHeldTogether; ++k) held.lines[k] = k < lines.size() ? lines[k] : LineSegment{};
  held.count = lines.size();
  held.color = color;
}

void DeferredNotXorSurface::Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  Flushed().Rectangle(x1, y1, x2, y2);
}

void DeferredNotXorSurface::CopyPictureIn(const Picture& picture, std::int32_t x, std::int32_t y, std::int32_t w,
                                          std::int32_t h) {
  Flushed().CopyPictureIn(picture, x, y, w, h);
}

void DeferredNotXorSurface::CopyPictureOut(Picture& picture, std::int32_t w, std::int32_t h) const {
  Flushed().CopyPictureOut(picture, w, h);
}

RasterSurface& DeferredNotXorSurface::Flushed() const {
  DrawHeldLines();
  return raster_;
}

void DeferredNotXorSurface::DrawHeldLines() const {
  for (std::size_t k = 0; k < held_count_; ++k) {
    const HeldLines& held = held_[k];
    raster_.NotXorLines(std::span(held.lines.data(), held.count), held.color);
  }
  held_count_ = 0;
}

}  // namespace kurovel
