#include "ui/form_layout.h"

#include <algorithm>
#include <cstdint>

namespace kurovel {

namespace {

// Outer sizes come from the window system; 64-bit keeps absurd ones from overflowing.
int NonNegative(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, 0, INT32_MAX));
}

}  // namespace

FormLayout ComputeFormLayout(int outer_width, int outer_height, int panel_width) {
  const std::int64_t w = outer_width;
  const std::int64_t h = outer_height;
  FormLayout layout;
  layout.drawing_area_width = NonNegative(w - (panel_width + 5));
  layout.editor_width = NonNegative(std::int64_t{panel_width} - 5);
  layout.editor_height = NonNegative(h - 200);
  layout.first_row_top = NonNegative(h - 115);
  layout.second_row_top = NonNegative(h - 90);
  return layout;
}

}  // namespace kurovel
