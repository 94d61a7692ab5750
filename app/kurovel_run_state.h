#pragma once
// The final state of a headless run as one JSON object.

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/raster_surface.h"
#include "language/session.h"
#include "language/text_encoding.h"

namespace kurovel {

// How a headless run ended.
enum class RunResult {
  kOk,          // every line ran
  kError,       // an error ended a line (--lines) or the run
  kUnbalanced,  // repeat and next did not pair up; nothing ran
};

// The result's name in the JSON state: "ok", "error" or "unbalanced".
std::string_view RunResultName(RunResult result);

// How the run went, besides what the session holds.
struct RunReport {
  RunResult outcome = RunResult::kOk;
  std::vector<std::string> messages;   // UTF-8: what the error box or the warning box showed, in order
  std::vector<std::string> normalized; // CP932: the normalised lines
  TextEncoding encoding = TextEncoding::kShiftJis;  // how the program file was read
};

// The keys "width", "height", "x", "y", "heading", "pen_down", "arrow_visible",
// "color_cycle_index", "pen_color", "pen_mode", "variables", "trace",
// "normalized", "outcome", "encoding" and "messages"; CP932 texts converted to UTF-8.
nlohmann::json StateJson(const Session& session, const RasterSurface& surface, const RunReport& report);

}  // namespace kurovel
