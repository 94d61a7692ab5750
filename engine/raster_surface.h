#pragma once
// An off-screen image that implements DrawingSurface: the engine draws into it,
// the desktop program only shows it, and the headless runner saves it.

#include <cstdint>
#include <vector>

#include "engine/drawing_surface.h"
#include "engine/limits.h"

namespace kurovel {

// A rectangle of pixels [left, right) x [top, bottom); empty when left >= right or top >= bottom.
struct PixelRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool Empty() const { return left >= right || top >= bottom; }
};

// Sizes larger than kMaxPictureSide either way are clamped to it.
class RasterSurface final : public DrawingSurface {
 public:
  // A white surface; negative sizes count as 0.
  RasterSurface(std::int32_t width, std::int32_t height);

  // New size; pixels keep their place from the top-left corner, new ones are white.
  void Resize(std::int32_t width, std::int32_t height);

  std::int32_t Width() const override { return width_; }
  std::int32_t Height() const override { return height_; }
  void MoveTo(std::int32_t x, std::int32_t y) override;
  void LineTo(std::int32_t x, std::int32_t y) override;
  void NotXorLines(std::span<const LineSegment> lines, ColorValue color) override;
  ColorValue GetPenColor() const override { return pen_color_; }
  void SetPenColor(ColorValue color) override;
  void SetPenMode(PenMode mode) override { pen_mode_ = mode; }
  void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override;
  void CopyPictureIn(const Picture& picture, std::int32_t x, std::int32_t y, std::int32_t w,
                     std::int32_t h) override;
  void CopyPictureOut(Picture& picture, std::int32_t w, std::int32_t h) const override;

  PenMode GetPenMode() const { return pen_mode_; }
  // The colour of one pixel; white outside the surface.
  ColorValue PixelAt(std::int32_t x, std::int32_t y) const;

  // Pixels as 0xffRRGGBB words (the layout of QImage::Format_RGB32), row-major,
  // Width() words a row.
  const std::uint32_t* Bits() const { return pixels_.data(); }

  // The bounding box of every pixel changed since the last call, then forgets it.
  PixelRect TakeDirtyRect();

 private:
  // mode is kCopy or kNotXor; word is the pen colour in the pixel layout.
  void PlotClippedLine(const LineSegment& line, PenMode mode, std::uint32_t word);
  void MarkDirty(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<std::uint32_t> pixels_;
  std::int32_t cur_x_ = 0;
  std::int32_t cur_y_ = 0;
  ColorValue pen_color_ = 0;
  std::uint32_t pen_word_ = 0xff000000u;  // pen_color_ in the pixel layout
  PenMode pen_mode_ = PenMode::kCopy;
  PixelRect dirty_;
};

}  // namespace kurovel
