// An in-memory picture of white-initialised pixels.

#include "engine/picture.h"

#include <algorithm>
#include <cstddef>

namespace kurovel {

namespace {

std::size_t Area(std::int32_t width, std::int32_t height) {
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

}  // namespace

Picture::Picture(std::int32_t width, std::int32_t height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), pixels_(Area(width_, height_), clWhite) {}

ColorValue Picture::PixelAt(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return clWhite;
  return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

void Picture::SetPixel(std::int32_t x, std::int32_t y, ColorValue color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] = color;
}

void Picture::Resize(std::int32_t width, std::int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  // Width first, then height: the two steps compose to one re-layout that keeps
  // every pixel's place from the top-left corner.
  if (width == width_ && height == height_) return;
  std::vector<ColorValue> resized(Area(width, height), clWhite);
  const std::int32_t keep_w = std::min(width, width_);
  const std::int32_t keep_h = std::min(height, height_);
  for (std::int32_t y = 0; y < keep_h; ++y) {
    const auto from = pixels_.begin() + static_cast<std::ptrdiff_t>(Area(y, width_));
    std::copy(from, from + keep_w, resized.begin() + static_cast<std::ptrdiff_t>(Area(y, width)));
  }
  pixels_ = std::move(resized);
  width_ = width;
  height_ = height;
}

}  // namespace kurovel
