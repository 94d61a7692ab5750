#include "controllers/state_json.h"

#include <algorithm>
#include <array>
#include <functional>
#include <utility>

#include <nlohmann/json.hpp>

#include "language/cp932.h"

namespace kurovel {
namespace {

constexpr std::array<std::pair<PenMode, const char*>, 3> kPenModeNames{{
    {PenMode::kCopy, "copy"},
    {PenMode::kNotXor, "notxor"},
    {PenMode::kNop, "nop"},
}};

constexpr std::array<std::pair<RunResult, const char*>, 4> kRunResultNames{{
    {RunResult::kOk, "ok"},
    {RunResult::kError, "error"},
    {RunResult::kUnbalanced, "unbalanced"},
    {RunResult::kLimit, "limit"},
}};

const char* PenModeName(PenMode mode) {
  for (const auto& [value, name] : kPenModeNames) {
    if (value == mode) return name;
  }
  return "copy";  // unreachable: every mode has a row
}

// A JSON string of UTF-8 text; invalid sequences become U+FFFD. Plain printable
// ASCII, by far the most common line, is copied without further ado.
void AppendString(std::string& out, std::string_view utf8) {
  const bool plain = std::all_of(utf8.begin(), utf8.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x80 && c != '"' && c != '\\';
  });
  if (plain) {
    out += '"';
    out += utf8;
    out += '"';
    return;
  }
  out += nlohmann::json(std::string(utf8)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// An array in the two-blank layout: "[]" when empty, else one element a line.
template <typename Range, typename AppendElement>
void AppendArray(std::string& out, const Range& elements, AppendElement append) {
  bool first = true;
  for (const auto& element : elements) {
    out += first ? "[\n    " : ",\n    ";
    first = false;
    append(out, element);
  }
  out += first ? "[]" : "\n  ]";
}

void AppendCp932Lines(std::string& out, const LineBuffer& lines) {
  AppendArray(out, lines, [](std::string& text, std::string_view line) { AppendString(text, Cp932ToUtf8(line)); });
}

// The "check" member, which sorts right after "arrow_visible".
void AppendCheck(std::string& out, const ExerciseVerdict& verdict) {
  out += ",\n  \"check\": {\n    \"exercise\": " + std::to_string(verdict.exercise) + ",\n    \"message\": ";
  AppendString(out, verdict.message);
  out += ",\n    \"passed\": ";
  out += verdict.passed ? "true" : "false";
  out += "\n  }";
}

}  // namespace

std::string_view RunResultName(RunResult result) {
  for (const auto& [value, name] : kRunResultNames) {
    if (value == result) return name;
  }
  return "ok";  // unreachable: every result has a row
}

std::string StateJson(const Session& session, const RasterSurface& surface, const RunReport& report,
                      const LineBuffer& normalized) {
  const TurtleState& state = session.turtle.State();
  std::vector<std::int32_t> variables;
  for (int k = 1; k <= VariableTable::kCount; ++k) variables.push_back(session.variables.Get(k));

  const auto number = [](auto value) {
    return [value](std::string& out) { out += std::to_string(value); };
  };
  const auto boolean = [](bool value) {
    return [value](std::string& out) { out += value ? "true" : "false"; };
  };
  const auto text = [](std::string_view value) {
    return [value](std::string& out) { AppendString(out, value); };
  };
  // The members in key order, as a JSON library that sorts its keys writes them.
  const std::pair<const char*, std::function<void(std::string&)>> members[] = {
      {"arrow_visible", boolean(state.arrow_visible)},
      {"color_cycle_index", number(state.color_cycle_index)},
      {"encoding", text(EncodingName(report.encoding))},
      {"heading", number(state.heading)},
      {"height", number(surface.Height())},
      {"messages",
       [&](std::string& out) {
         AppendArray(out, report.messages, [](std::string& o, const std::string& m) { AppendString(o, m); });
       }},
      {"normalized", [&](std::string& out) { AppendCp932Lines(out, normalized); }},
      {"outcome", text(RunResultName(report.outcome))},
      {"pen_color", number(surface.GetPenColor())},
      {"pen_down", boolean(state.pen_down)},
      {"pen_mode", text(PenModeName(surface.GetPenMode()))},
      {"trace", [&](std::string& out) { AppendCp932Lines(out, session.trace.Lines()); }},
      {"trace_omitted", number(session.trace.Omitted())},
      {"variables",
       [&](std::string& out) {
         AppendArray(out, variables, [](std::string& o, std::int32_t v) { o += std::to_string(v); });
       }},
      {"width", number(surface.Width())},
      {"x", number(state.x)},
      {"y", number(state.y)},
  };

  std::string out = "{";
  bool first = true;
  for (const auto& [key, append] : members) {
    out += first ? "\n  \"" : ",\n  \"";
    first = false;
    out += key;
    out += "\": ";
    append(out);
    if (report.check && std::string_view(key) == "arrow_visible") AppendCheck(out, *report.check);
  }
  out += "\n}\n";
  return out;
}

}  // namespace kurovel
