#pragma once
// The start state of a session, as the main window is just after start and its
// first repaint: white surface, turtle at the centre pointing up, pen down in
// blue, the arrow drawn once, every variable 10, the trace empty.

#include "language/session.h"

namespace kurovel {

// Gives the turtle and the variables their start values, draws the arrow once
// (as the window's creation does), then repaints: the whole surface white, the pen
// blue, and the clear-screen operation, which moves the turtle to the centre and
// draws the arrow there. A remembered background is the caller's to lay afterwards.
void StartSession(Session& session);

}  // namespace kurovel
