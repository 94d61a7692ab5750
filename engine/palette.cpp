// Pen colour selection from the sixteen-entry palette.

#include "engine/palette.h"

namespace kurovel {

void SetPaletteColor(DrawingSurface& surface, std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(PenPalette.size())) return;
  surface.SetPenColor(PenPalette[static_cast<std::size_t>(index)]);
}

}  // namespace kurovel
