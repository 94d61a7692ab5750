#pragma once
// Everything a program window holds besides its widgets: the session on the front
// end's drawing surface, the remembered pictures, and the controllers that decide
// what each button, menu item, key and drop does. A front end makes one, passes
// its events in and does what the controllers ask.

#include <chrono>

#include "controllers/document_controller.h"
#include "controllers/flow.h"
#include "controllers/picture_controller.h"
#include "controllers/run_controller.h"
#include "engine/drawing_surface.h"
#include "files/pictures.h"
#include "language/session.h"

namespace kurovel {

class ProgramWindow {
 public:
  // turn_interval: the run time between two turns of the front end (RunController).
  ProgramWindow(DrawingSurface& surface, RunView& run_view, std::chrono::steady_clock::duration turn_interval)
      : session(surface), run(session, run_view, turn_interval),
        document(session.turtle, pictures, [this] { run.EndForClose(); }), picture(session, pictures) {}
  ProgramWindow(const ProgramWindow&) = delete;
  ProgramWindow& operator=(const ProgramWindow&) = delete;

  Session session;
  PictureState pictures;
  RunController run;
  DocumentController document;
  PictureController picture;
  // Declared last, so a flow still waiting for an answer ends before the
  // controllers it belongs to.
  FlowRunner flows;
};

}  // namespace kurovel
