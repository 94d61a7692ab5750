#pragma once
// The eleven turtle operations. Each one that moves or turns the turtle brackets
// its change between two DrawArrow calls: erase at the old place, change (drawing
// any line on the clean picture), draw at the new place.

#include <cstdint>

#include "engine/arrow.h"
#include "engine/drawing_surface.h"
#include "engine/drawn_path.h"
#include "engine/turtle_state.h"

namespace kurovel {

class Turtle {
 public:
  // The surface must outlive the turtle. The state starts at its start values;
  // nothing is drawn until the owner calls DrawArrow.
  explicit Turtle(DrawingSurface& surface) : surface_(&surface) {}

  TurtleState& State() { return state_; }
  const TurtleState& State() const { return state_; }
  DrawingSurface& Surface() { return *surface_; }
  const DrawingSurface& Surface() const { return *surface_; }
  // Every move since the last clear screen; the owner empties it at start.
  DrawnPath& Path() { return path_; }
  const DrawnPath& Path() const { return path_; }

  void DrawArrow() { kurovel::DrawArrow(state_, *surface_); }

  void MoveForward(std::int32_t n);  // fd
  void MoveBack(std::int32_t n);     // bk
  void TurnRight(std::int32_t n);    // rt, 0 means 90
  void TurnLeft(std::int32_t n);     // lt, 0 means 90
  void PenDown(std::int32_t n);      // pd, palette index or 99 for the next colour of the cycle
  void PenUp();                      // pu
  void ClearScreen();                // cls
  void GoHome();                     // rp
  void ResetHeading();               // rdi
  void ToggleArrow();                // sho
  // pos, once the two texts are converted: x to the right and y upwards from the centre.
  void MoveToPosition(std::int32_t x, std::int32_t y);

  // Puts the turtle at the surface's centre without drawing, after the surface
  // was resized: the arrow drawn before went with the old picture, and the repaint
  // that follows draws it at the new place.
  void Recentre();

 private:
  void LineFromTo(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1);
  // Records the move from `from` to the turtle's place: a line with the pen's
  // colour while the pen is down, else a jump.
  void RecordMove(Point from) {
    const Point to{state_.x, state_.y};
    if (state_.pen_down) {
      path_.AddLine(from, to, surface_->GetPenColor());
    } else {
      path_.AddJump(from, to);
    }
  }

  DrawingSurface* surface_;
  TurtleState state_;
  DrawnPath path_;
};

}  // namespace kurovel
