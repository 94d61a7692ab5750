#pragma once
// The arrow cursor, drawn in NOT-XOR so that drawing it twice restores the picture.

#include "engine/drawing_surface.h"
#include "engine/turtle_state.h"

namespace kurovel {

// The centre of the surface, each half truncated toward zero.
Point SurfaceCenter(const DrawingSurface& surface);

// The dart T-W1-P-W2 for a turtle state: tip 20 pixels ahead, wings 20 pixels
// away at heading + 150 and + 210 degrees, notch at the turtle's own point.
struct ArrowPoints {
  Point tip;
  Point wing1;
  Point wing2;
  Point notch;
};
ArrowPoints ArrowGeometry(const TurtleState& state);

// Toggles the arrow if it is visible; always leaves the pen mode set from
// PenIsDown and the pen colour as it was.
void DrawArrow(const TurtleState& state, DrawingSurface& surface);

}  // namespace kurovel
