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

  Turtle turtle;
  VariableTable variables;
  TraceList trace;
  LineExecutor executor{turtle, variables, trace};
  ProgramRunner runner{executor, variables, trace};
};

}  // namespace kurovel
