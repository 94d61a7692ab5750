// The class report in the page (kurovel_web.h): each file rendered as
// kurovel-class renders it, the drawing handed to the page to encode, the report
// built by the same builder.

#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "controllers/class_render.h"
#include "controllers/class_report.h"
#include "engine/limits.h"
#include "web/module/kurovel_web.h"

namespace kurovel {
namespace {

struct PageClassReport {
  ClassSettings settings;  // kurovel-class's defaults; the exercise from kv_class_begin
  ClassReport report;
  std::vector<std::uint8_t> rgba;  // the last added row's drawing
  std::int32_t drawing_width = 0;
  std::int32_t drawing_height = 0;
  std::string returned;
};

PageClassReport& State() {
  static PageClassReport state;
  return state;
}

const char* Returned(std::string text) {
  std::string& returned = State().returned;
  returned = std::move(text);
  return returned.c_str();
}

void KeepRgba(PageClassReport& state, const Picture& drawing) {
  state.rgba.resize(drawing.Pixels().size() * 4);
  std::uint8_t* out = state.rgba.data();
  for (const ColorValue pixel : drawing.Pixels()) {
    *out++ = static_cast<std::uint8_t>(pixel);
    *out++ = static_cast<std::uint8_t>(pixel >> 8);
    *out++ = static_cast<std::uint8_t>(pixel >> 16);
    *out++ = 0xff;
  }
  state.drawing_width = drawing.Width();
  state.drawing_height = drawing.Height();
}

}  // namespace
}  // namespace kurovel

using namespace kurovel;

extern "C" {

EMSCRIPTEN_KEEPALIVE int kv_class_begin(const char* folder_utf8, int exercise) {
  const Exercise* checked = exercise == 0 ? nullptr : FindExercise(exercise);
  if (exercise != 0 && checked == nullptr) return 1;
  PageClassReport& state = State();
  state = PageClassReport{};
  state.settings.exercise = checked;
  state.report.folder = folder_utf8;
  state.report.exercise = checked;
  return 0;
}

EMSCRIPTEN_KEEPALIVE double kv_class_max_file_bytes(void) { return static_cast<double>(kMaxProgramFileBytes); }

EMSCRIPTEN_KEEPALIVE int kv_class_add(const char* name_utf8, const std::uint8_t* bytes, int size) {
  PageClassReport& state = State();
  state.rgba.clear();
  state.drawing_width = state.drawing_height = 0;
  std::string name(name_utf8);
  if (bytes == nullptr) {
    state.report.rows.push_back(UnreadableProgramRow(std::move(name)));
    return 0;
  }
  state.report.rows.push_back(RenderProgramBytes(
      std::move(name), std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(std::max(size, 0))),
      state.settings, [&](const Picture& drawing, ClassReportRow&) { KeepRgba(state, drawing); }));
  return state.drawing_width > 0 ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int kv_class_drawing_width(void) { return State().drawing_width; }
EMSCRIPTEN_KEEPALIVE int kv_class_drawing_height(void) { return State().drawing_height; }
EMSCRIPTEN_KEEPALIVE const std::uint8_t* kv_class_drawing_rgba(void) { return State().rgba.data(); }

EMSCRIPTEN_KEEPALIVE void kv_class_set_png(const std::uint8_t* bytes, int size) {
  PageClassReport& state = State();
  if (state.report.rows.empty() || bytes == nullptr || size <= 0) return;
  state.report.rows.back().png.assign(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

EMSCRIPTEN_KEEPALIVE const char* kv_class_html(void) { return Returned(ClassReportHtml(State().report)); }
EMSCRIPTEN_KEEPALIVE const char* kv_class_csv(void) { return Returned(ClassReportCsv(State().report)); }
EMSCRIPTEN_KEEPALIVE const char* kv_class_summary(void) { return Returned(ClassSummary(State().report)); }
EMSCRIPTEN_KEEPALIVE int kv_class_text_size(void) { return static_cast<int>(State().returned.size()); }

}  // extern "C"
