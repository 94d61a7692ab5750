#pragma once
// What the turtle has drawn, told in words for a screen reader (Japanese, UTF-8):
// how many lines since the last clear screen, in which colours, how large the
// figure is and how large the drawing area. A line is what a person sees as one:
// moves of one colour that go straight on are one line however many there were.

#include <cstdint>
#include <string>

#include "engine/drawn_path.h"

namespace kurovel {

std::string DrawingDescription(const DrawnPath& path, std::int32_t surface_width, std::int32_t surface_height);

}  // namespace kurovel
