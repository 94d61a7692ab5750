#pragma once
// The two ways a headless run executes a program's lines, shared by kurovel-run
// and the class report: as the Run button runs them, or line by line as typed.

#include <cstdint>

#include "controllers/run_limits.h"
#include "controllers/state_json.h"
#include "language/line_buffer.h"
#include "language/session.h"

namespace kurovel {

// The program as run by the Run button. A reached limit presses Stop: the run ends
// at its next line. current_line, when given, follows the line the run is at (from
// 0), so that an error can be placed.
void RunAsProgram(Session& session, LineBuffer lines, RunLimits& limits, RunReport& report,
                  std::int32_t* current_line = nullptr);

// Every line as typed into the command box followed by Enter: an error ends that
// line only. A reached limit ends the run between two lines.
void RunLines(Session& session, const LineBuffer& lines, RunLimits& limits, RunReport& report);

}  // namespace kurovel
