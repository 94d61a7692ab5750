#pragma once
// The sixteen pen colours of "pd".

#include <array>
#include <cstdint>

#include "engine/color.h"
#include "engine/drawing_surface.h"

namespace kurovel {

// Entries 13 and 15 repeat 9 (navy) and 8 (grey) on purpose.
inline constexpr std::array<ColorValue, 16> PenPalette = {
    MakeColor(0, 0, 0),       MakeColor(0, 0, 255),     MakeColor(255, 0, 0),   MakeColor(255, 0, 255),
    MakeColor(0, 255, 0),     MakeColor(0, 255, 255),   MakeColor(255, 255, 0), MakeColor(255, 255, 255),
    MakeColor(128, 128, 128), MakeColor(0, 0, 128),     MakeColor(128, 0, 0),   MakeColor(128, 0, 128),
    MakeColor(0, 128, 0),     MakeColor(0, 0, 128),     MakeColor(128, 128, 0), MakeColor(128, 128, 128),
};

// Pen colour from the palette for 0..15; any other index changes nothing.
void SetPaletteColor(DrawingSurface& surface, std::int32_t index);

}  // namespace kurovel
