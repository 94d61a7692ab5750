#pragma once
// Colours and pen modes of the drawing surface.

#include <cstdint>

namespace kurovel {

// Red in the low byte, green in the second, blue in the third; the fourth byte is 0.
using ColorValue = std::uint32_t;

constexpr ColorValue MakeColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return ColorValue{red} | (ColorValue{green} << 8) | (ColorValue{blue} << 16);
}

inline constexpr ColorValue clRed = MakeColor(255, 0, 0);      // 255, the arrow
inline constexpr ColorValue clWhite = MakeColor(255, 255, 255);  // 16777215
inline constexpr ColorValue clBlue = MakeColor(0, 0, 255);     // 16711680, the pen after a repaint

// How a drawn pixel combines with the pixel already there.
enum class PenMode {
  kCopy,      // the pen colour
  kNotXor,  // ~(pen ^ old) on the 24 colour bits: drawing twice restores the old pixel
  kNop,       // nothing changes (a lifted pen)
};

}  // namespace kurovel
