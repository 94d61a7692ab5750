#include "app/kurovel_run_state.h"

#include <array>
#include <utility>

#include "language/cp932.h"

namespace kurovel {
namespace {

constexpr std::array<std::pair<PenMode, const char*>, 3> kPenModeNames{{
    {PenMode::pmCopy, "copy"},
    {PenMode::pmNotXor, "notxor"},
    {PenMode::pmNop, "nop"},
}};

const char* PenModeName(PenMode mode) {
  for (const auto& [value, name] : kPenModeNames) {
    if (value == mode) return name;
  }
  return "copy";  // unreachable: every mode has a row
}

nlohmann::json Utf8Lines(const std::vector<std::string>& cp932_lines) {
  nlohmann::json lines = nlohmann::json::array();
  for (const std::string& line : cp932_lines) lines.push_back(Cp932ToUtf8(line));
  return lines;
}

}  // namespace

nlohmann::json StateJson(const Session& session, const RasterSurface& surface, const RunReport& report) {
  const TurtleState& state = session.turtle.State();
  nlohmann::json variables = nlohmann::json::array();
  for (int k = 1; k <= VariableTable::kCount; ++k) variables.push_back(session.variables.Get(k));

  nlohmann::json json = nlohmann::json::object();
  json["width"] = surface.Width();
  json["height"] = surface.Height();
  json["x"] = state.X;
  json["y"] = state.Y;
  json["heading"] = state.Heading;
  json["pen_down"] = state.PenIsDown == 1;
  json["arrow_visible"] = state.ArrowVisible == 1;
  json["color_cycle_index"] = state.ColorCycleIndex;
  json["pen_color"] = surface.GetPenColor();
  json["pen_mode"] = PenModeName(surface.GetPenMode());
  json["variables"] = std::move(variables);
  json["trace"] = Utf8Lines(session.trace);
  json["normalized"] = Utf8Lines(report.normalized);
  json["outcome"] = report.outcome;
  json["messages"] = report.messages;
  return json;
}

}  // namespace kurovel
