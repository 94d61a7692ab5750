#pragma once
// The drawing area seen as a list of operations: everything the turtle and the
// picture commands draw goes through this seam.

#include <cstdint>
#include <span>

#include "engine/color.h"
#include "engine/picture.h"

namespace kurovel {

// A line from (x0, y0) to (x1, y1), drawn as MoveTo(x0, y0) and LineTo(x1, y1) draw it.
struct LineSegment {
  std::int32_t x0 = 0;
  std::int32_t y0 = 0;
  std::int32_t x1 = 0;
  std::int32_t y1 = 0;
  friend bool operator==(const LineSegment&, const LineSegment&) = default;
};

class DrawingSurface {
 public:
  virtual ~DrawingSurface() = default;

  // Size in pixels, read afresh at every use: the window may resize the area.
  virtual std::int32_t Width() const = 0;
  virtual std::int32_t Height() const = 0;

  // The current point becomes (x, y); nothing is drawn.
  virtual void MoveTo(std::int32_t x, std::int32_t y) = 0;
  // A one-pixel line from the current point to (x, y) in the pen colour and mode;
  // the start pixel is drawn, the end pixel is not; (x, y) becomes the current point.
  virtual void LineTo(std::int32_t x, std::int32_t y) = 0;

  // The lines in turn, each as a pen of this colour in PenMode::kNotXor draws it,
  // while the pen itself stays as it is; the last line's end becomes the current
  // point. The arrow is drawn this way: one call for its four lines.
  virtual void NotXorLines(std::span<const LineSegment> lines, ColorValue color) = 0;

  virtual ColorValue GetPenColor() const = 0;
  virtual void SetPenColor(ColorValue color) = 0;
  virtual void SetPenMode(PenMode mode) = 0;

  // Outline with the pen, inside with the white brush, both under the pen mode;
  // covers (x1, y1) to (x2 - 1, y2 - 1).
  virtual void Rectangle(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) = 0;

  // Copies the top-left w x h pixels of the picture to (x, y), clipped to the
  // surface; a plain copy that ignores the pen mode.
  virtual void CopyPictureIn(const Picture& picture, std::int32_t x, std::int32_t y, std::int32_t w,
                             std::int32_t h) = 0;
  // Copies the surface's top-left w x h pixels into the picture's top-left corner,
  // clipped to the picture.
  virtual void CopyPictureOut(Picture& picture, std::int32_t w, std::int32_t h) const = 0;
};

}  // namespace kurovel
