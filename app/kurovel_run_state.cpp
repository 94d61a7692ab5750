#include "app/kurovel_run_state.h"

#include <array>
#include <utility>

#include "language/cp932.h"

namespace kurovel {
namespace {

constexpr std::array<std::pair<PenMode, const char*>, 3> kPenModeNames{{
    {PenMode::kCopy, "copy"},
    {PenMode::kNotXor, "notxor"},
    {PenMode::kNop, "nop"},
}};

const char* PenModeName(PenMode mode) {
  for (const auto& [value, name] : kPenModeNames) {
    if (value == mode) return name;
  }
  return "copy";  // unreachable: every mode has a row
}

constexpr std::array<std::pair<RunResult, const char*>, 3> kRunResultNames{{
    {RunResult::kOk, "ok"},
    {RunResult::kError, "error"},
    {RunResult::kUnbalanced, "unbalanced"},
}};

nlohmann::json Utf8Lines(const std::vector<std::string>& cp932_lines) {
  nlohmann::json lines = nlohmann::json::array();
  for (const std::string& line : cp932_lines) lines.push_back(Cp932ToUtf8(line));
  return lines;
}

}  // namespace

std::string_view RunResultName(RunResult result) {
  for (const auto& [value, name] : kRunResultNames) {
    if (value == result) return name;
  }
  return "ok";  // unreachable: every result has a row
}

nlohmann::json StateJson(const Session& session, const RasterSurface& surface, const RunReport& report) {
  const TurtleState& state = session.turtle.State();
  nlohmann::json variables = nlohmann::json::array();
  for (int k = 1; k <= VariableTable::kCount; ++k) variables.push_back(session.variables.Get(k));

  nlohmann::json json = nlohmann::json::object();
  json["width"] = surface.Width();
  json["height"] = surface.Height();
  json["x"] = state.x;
  json["y"] = state.y;
  json["heading"] = state.heading;
  json["pen_down"] = state.pen_down;
  json["arrow_visible"] = state.arrow_visible;
  json["color_cycle_index"] = state.color_cycle_index;
  json["pen_color"] = surface.GetPenColor();
  json["pen_mode"] = PenModeName(surface.GetPenMode());
  json["variables"] = std::move(variables);
  json["trace"] = Utf8Lines(session.trace);
  json["normalized"] = Utf8Lines(report.normalized);
  json["outcome"] = RunResultName(report.outcome);
  json["encoding"] = EncodingName(report.encoding);
  json["messages"] = report.messages;
  return json;
}

}  // namespace kurovel
