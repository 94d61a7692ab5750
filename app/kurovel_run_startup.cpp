#include "app/kurovel_run_startup.h"

#include "engine/color.h"

namespace kurovel {

void StartSession(Session& session) {
  // Window creation.
  session.turtle.State() = TurtleState{};
  session.variables.SetAll(10);
  session.trace.clear();
  session.turtle.DrawArrow();

  // First repaint. The white rectangle only covers the arrow drawn above while the
  // pen is down; the clear-screen operation then erases it in every case.
  DrawingSurface& surface = session.turtle.Surface();
  surface.SetPenColor(clWhite);
  surface.Rectangle(0, 0, surface.Width(), surface.Height());
  surface.SetPenColor(clBlue);
  session.turtle.ClearScreen();
}

}  // namespace kurovel
