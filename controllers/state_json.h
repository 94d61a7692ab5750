#pragma once
// The final state of a headless run as one JSON object.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controllers/exercise_verdicts.h"
#include "engine/raster_surface.h"
#include "language/line_buffer.h"
#include "language/session.h"
#include "language/text_encoding.h"

namespace kurovel {

// How a headless run ended.
enum class RunResult {
  kOk,          // every line ran
  kError,       // an error ended a line (--lines) or the run
  kUnbalanced,  // repeat and next did not pair up; nothing ran
  kLimit,       // --max-commands or --timeout ended the run as Stop does
};

// The result's name in the JSON state: "ok", "error", "unbalanced" or "limit".
std::string_view RunResultName(RunResult result);

// How the run went, besides what the session holds.
struct RunReport {
  RunResult outcome = RunResult::kOk;
  std::vector<std::string> messages;  // UTF-8: what the error box or the warning box showed, in order
  LineBuffer normalized;              // CP932: the normalised lines of a --lines run
  TextEncoding encoding = TextEncoding::kShiftJis;  // how the program file was read
  std::optional<ExerciseVerdict> check;             // the drawing checked against an exercise
};

// The keys "width", "height", "x", "y", "heading", "pen_down", "arrow_visible",
// "color_cycle_index", "pen_color", "pen_mode", "variables", "trace",
// "trace_omitted", "normalized", "outcome", "encoding" and "messages", and "check"
// ({"exercise", "message", "passed"}) when the report holds one, in key order
// and indented by two blanks; CP932 texts converted to UTF-8 (an undecodable byte
// becomes U+FFFD). Written straight into text, line by line, so a program of
// millions of lines needs no document tree.
// normalized: the normalised lines (CP932) of the run.
std::string StateJson(const Session& session, const RasterSurface& surface, const RunReport& report,
                      const LineBuffer& normalized);

}  // namespace kurovel
