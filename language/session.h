#pragma once
// Everything one Kurovel session owns: the turtle on its drawing surface, the
// variables, the trace, the line executor and the program runner. The desktop
// program has one; tests and the headless runner make as many as they need.

#include "engine/drawing_surface.h"
#include "engine/turtle.h"
#include "language/executor.h"
#include "language/runner.h"
#include "language/variables.h"

namespace kurovel {

class Session {
 public:
  explicit Session(DrawingSurface& surface) : turtle(surface) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The start state, as the main window's creation gives it: the turtle at its
  // start values, every variable 10, the trace and the drawn path empty, the arrow
  // drawn once.
  void Start();
  // What every repaint does before the remembered background is laid: the
  // painted area (the window's whole client area, which may reach beyond the
  // surface) white, the pen blue, then the clear-screen operation, which puts the
  // turtle at the centre and draws the arrow there.
  void Repaint(std::int32_t painted_width, std::int32_t painted_height);
  // Start followed by the first repaint of the whole surface: the state a run
  // begins from in kurovel-run and the fuzz targets.
  void StartAndRepaint() {
    Start();
    Repaint(turtle.Surface().Width(), turtle.Surface().Height());
  }

  Turtle turtle;
  VariableTable variables;
  TraceList trace;
  LineExecutor executor{turtle, variables, trace};
  ProgramRunner runner{executor, variables, trace};
};

}  // namespace kurovel
