#pragma once
// A drawing surface in front of a RasterSurface that holds back not-xor lines.
// The turtle erases its arrow (a not-xor drawing) right before every command and
// draws it again right after, so a command would otherwise redraw eight arrow
// lines for a move of one pixel. A not-xor line turns its pixels p into
// p ^ ~pen, so such lines commute with one another and the same lines drawn
// twice change nothing: lines held back and drawn again are simply dropped.
// Every other drawing operation, and every look at the raster's pixels, draws
// the lines still held back first, so the raster shows exactly what drawing
// them at once shows.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/drawing_surface.h"
#include "engine/raster_surface.h"

namespace kurovel {

class DeferredNotXorSurface final : public DrawingSurface {
 public:
  // The raster must outlive this surface; its pen follows this surface's pen.
  explicit DeferredNotXorSurface(RasterSurface& raster);

  std::int32_t Width() const override { return raster_.Width(); }
  std::int32_t Height() const override { return raster_.Height(); }
  void MoveTo(std::int32_t x, std::int32_t y) override;
  void LineTo(std::int32_t x, std::int32_t y) override;
  void NotXorLines(std::span<const LineSegment> lines, ColorValue color) override;
  ColorValue GetPenColor() const override { return raster_.GetPenColor(); }
  void SetPenColor(ColorValue color) override { raster_.SetPenColor(color); }
  void SetPenMode(PenMode mode) override { raster_.SetPenMode(mode); }
  void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override;
  void CopyPictureIn(const Picture& picture, std::int32_t x, std::int32_t y, std::int32_t w,
                     std::int32_t h) override;
  void CopyPictureOut(Picture& picture, std::int32_t w, std::int32_t h) const override;

  // The raster with every line drawn so far: the only way to read or resize it.
  RasterSurface& Flushed() const;

 private:
  // An arrow's four lines.
  static constexpr std::size_t kMaxLinesHeldTogether = 4;
  // The lines of one call, held back together.
  struct HeldLines {
    std::array<LineSegment, kMaxLinesHeldTogether> lines{};
    std::size_t count = 0;
    ColorValue color = 0;
    bool Same(std::span<const LineSegment> other, ColorValue other_color) const;
  };
  // Room for two arrows keeps one erase and one draw apart.
  static constexpr std::size_t kMaxHeld = 2;

  // Drops held lines equal to these, or else holds them back.
  void Hold(std::span<const LineSegment> lines, ColorValue color);
  void DrawHeldLines() const;

  RasterSurface& raster_;
  std::int32_t cur_x_ = 0;
  std::int32_t cur_y_ = 0;
  // Drawing them changes no observable state, so a const reader may do it.
  mutable std::array<HeldLines, kMaxHeld> held_{};
  mutable std::size_t held_count_ = 0;
};

}  // namespace kurovel
