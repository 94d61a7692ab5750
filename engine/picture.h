#pragma once
// An in-memory picture: what is loaded from or saved to a bitmap file and copied
// to or from the drawing surface.

#include <cstdint>
#include <vector>

#include "engine/color.h"

namespace kurovel {

class Picture {
 public:
  Picture() = default;
  // A white picture; negative sizes count as 0.
  Picture(std::int32_t width, std::int32_t height);

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  // Pixels outside the picture read as white and ignore writes.
  ColorValue PixelAt(std::int32_t x, std::int32_t y) const;
  void SetPixel(std::int32_t x, std::int32_t y, ColorValue color);

  // Sets the width, then the height; every existing pixel keeps its place counted
  // from the top-left corner, columns and rows beyond the new size are dropped and
  // new pixels are white.
  void Resize(std::int32_t width, std::int32_t height);

  // Row-major, top row first, Width() pixels a row.
  const std::vector<ColorValue>& Pixels() const { return pixels_; }

 private:
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<ColorValue> pixels_;
};

}  // namespace kurovel
