#include "language/session.h"

#include "engine/color.h"

namespace kurovel {

namespace {
constexpr std::int32_t kStartValue = 10;  // every variable's value at start
}  // namespace

void Session::Start() {
  turtle.State() = TurtleState{};
  turtle.Path().Clear();
  variables.SetAll(kStartValue);
  trace.Clear();
  turtle.DrawArrow();
}

void Session::Repaint(std::int32_t painted_width, std::int32_t painted_height) {
  // The white rectangle only covers the arrow drawn at start while the pen is
  // down; the clear-screen operation then erases it in every case.
  DrawingSurface& surface = turtle.Surface();
  surface.SetPenColor(clWhite);
  surface.Rectangle(0, 0, painted_width, painted_height);
  surface.SetPenColor(clBlue);
  turtle.ClearScreen();
}

}  // namespace kurovel
