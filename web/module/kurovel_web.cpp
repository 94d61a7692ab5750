// The browser page's module: one program window (the shared controllers on a
// drawing surface) behind the C API of kurovel_web.h.

#include "web/module/kurovel_web.h"

#include <emscripten.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "controllers/drawing_description.h"
#include "controllers/editor_text.h"
#include "controllers/exercise_check.h"
#include "controllers/program_window.h"
#include "controllers/state_json.h"
#include "controllers/window_texts.h"
#include "engine/deferred_not_xor_surface.h"
#include "engine/limits.h"
#include "engine/raster_surface.h"
#include "language/cp932.h"
#include "language/errors.h"
#include "language/normalizer.h"
#include "web/module/page_run_view.h"
#include "web/module/request_names.h"

namespace kurovel {
namespace {

// A run keeps the page busy for about this long before the browser gets a turn.
constexpr std::chrono::milliseconds kTurnInterval{8};
// Where chosen pictures are kept in the module's memory file system; it is the
// working folder, so a picture's path is its bare name, as the page shows it.
constexpr const char* kPictureFolder = "/pictures";

std::int32_t ClampSide(int side) { return std::clamp<std::int32_t>(side, 1, kMaxPictureSide); }

// The page's program window and what the C API keeps of it between calls.
struct PageWindow {
  PageWindow(std::int32_t width, std::int32_t height)
      : raster(width, height), drawing(raster), window(drawing, view, kTurnInterval) {
    window.session.StartAndRepaint();
  }

  // The turtle draws through `drawing`, which holds back the arrow's lines; the
  // pixels are read only through drawing.Flushed().
  RasterSurface raster;
  DeferredNotXorSurface drawing;
  PageRunView view;
  ProgramWindow window;
  Request request;            // what the flow waits on
  RunReport report;           // outcome and messages for the state
  bool last_was_run = false;  // the state's normalised lines: the run's, or the typed lines'
  std::vector<std::uint8_t> rgba;
  bool whole_surface_dirty = true;
};

// Everything the C API holds: one window, and the string last returned.
struct ModuleState {
  ModuleState() {
    ::mkdir(kPictureFolder, 0777);
    if (::chdir(kPictureFolder) != 0) std::perror(kPictureFolder);
  }
  std::unique_ptr<PageWindow> window;
  std::string returned;
};

ModuleState& Module() {
  static ModuleState state;
  return state;
}

PageWindow& Current() {
  ModuleState& module = Module();
  if (!module.window) module.window = std::make_unique<PageWindow>(kDefaultSurfaceWidth, kDefaultSurfaceHeight);
  return *module.window;
}

const char* Returned(std::string text) {
  std::string& returned = Module().returned;
  returned = std::move(text);
  return returned.c_str();
}

// A box request of a handler without a flow, queued as a note. Returns 1 when
// there was one.
int Queued(PageWindow& page, const Request& box) {
  if (!box) return 0;
  page.view.ShowMessage(box.message, box.caption, box.text);
  return 1;
}

// Runs an event of the C API: an error it does not handle itself (an allocation
// that failed while a flow started or took its reply) becomes the error box.
template <typename Event>
int Guarded(PageWindow& page, Event&& event) {
  try {
    return event();
  } catch (const std::exception& error) {
    return Queued(page, ShowError(ErrorMessageOf(error)));
  }
}

// Starts a flow unless one waits for its reply (the event is dropped then).
template <typename MakeFlow>
int Started(PageWindow& page, MakeFlow&& make) {
  if (page.window.flows.Busy()) return 0;
  return Guarded(page, [&] {
    page.request = page.window.flows.Start(make());
    return page.request ? 1 : 0;
  });
}

PixelRect ClipToSurface(PixelRect rect, const RasterSurface& surface) {
  rect.left = std::max(rect.left, 0);
  rect.top = std::max(rect.top, 0);
  rect.right = std::min(rect.right, surface.Width());
  rect.bottom = std::min(rect.bottom, surface.Height());
  return rect;
}

// The surface's 0xffRRGGBB words of one rectangle as RGBA bytes.
void CopyRgba(PageWindow& page, const PixelRect& rect) {
  const RasterSurface& raster = page.drawing.Flushed();
  const std::int32_t width = raster.Width();
  const std::uint32_t* bits = raster.Bits();
  for (std::int32_t y = rect.top; y < rect.bottom; ++y) {
    for (std::int32_t x = rect.left; x < rect.right; ++x) {
      const std::uint32_t word = bits[static_cast<std::size_t>(y) * width + x];
      std::uint8_t* out = &page.rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      out[0] = static_cast<std::uint8_t>(word >> 16);
      out[1] = static_cast<std::uint8_t>(word >> 8);
      out[2] = static_cast<std::uint8_t>(word);
      out[3] = 0xff;
    }
  }
}

int RunResultCode(RunController::Ending ending) {
  if (ending == RunController::Ending::kStopped) return kKvStopped;
  if (ending == RunController::Ending::kUnbalanced) return kKvUnbalanced;
  if (ending == RunController::Ending::kError) return kKvError;
  return kKvFinished;
}

std::vector<std::string> SplitNames(std::string_view joined, int count) {
  std::vector<std::string> names;
  for (std::size_t start = 0; static_cast<int>(names.size()) < count;) {
    const std::size_t end = std::min(joined.find('\n', start), joined.size());
    names.emplace_back(joined.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

bool UsablePictureName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

}  // namespace
}  // namespace kurovel

using namespace kurovel;

extern "C" {

// --- the window and its surface ---------------------------------------------

EMSCRIPTEN_KEEPALIVE int kv_create(int width, int height) {
  ModuleState& module = Module();
  if (module.window && module.window->window.run.Running()) return 1;
  module.window.reset();
  module.window = std::make_unique<PageWindow>(ClampSide(width), ClampSide(height));
  return 0;
}

EMSCRIPTEN_KEEPALIVE int kv_resize(int width, int height) {
  PageWindow& page = Current();
  return Guarded(page, [&] {
    page.drawing.Flushed().Resize(ClampSide(width), ClampSide(height));
    page.whole_surface_dirty = true;
    return Queued(page, Attempt([&] { page.window.picture.Repaint(page.drawing.Width(), page.drawing.Height()); }));
  });
}

EMSCRIPTEN_KEEPALIVE int kv_width(void) { return Current().drawing.Width(); }
EMSCRIPTEN_KEEPALIVE int kv_height(void) { return Current().drawing.Height(); }

EMSCRIPTEN_KEEPALIVE const std::uint8_t* kv_pixels(void) {
  PageWindow& page = Current();
  const std::size_t size = static_cast<std::size_t>(page.drawing.Width()) * page.drawing.Height() * 4;
  if (page.rgba.size() != size) {
    page.rgba.assign(size, 0xff);
    page.whole_surface_dirty = true;
  }
  return page.rgba.data();
}

EMSCRIPTEN_KEEPALIVE int kv_take_dirty(int* rect) {
  PageWindow& page = Current();
  kv_pixels();  // the buffer has the surface's size
  RasterSurface& raster = page.drawing.Flushed();
  PixelRect dirty = raster.TakeDirtyRect();
  if (page.whole_surface_dirty) dirty = PixelRect{0, 0, raster.Width(), raster.Height()};
  page.whole_surface_dirty = false;
  dirty = ClipToSurface(dirty, raster);
  if (dirty.Empty()) {
    std::fill(rect, rect + 4, 0);
    return 0;
  }
  CopyRgba(page, dirty);
  rect[0] = dirty.left;
  rect[1] = dirty.top;
  rect[2] = dirty.right - dirty.left;
  rect[3] = dirty.bottom - dirty.top;
  return 1;
}

EMSCRIPTEN_KEEPALIVE int kv_clear_screen(void) {
  PageWindow& page = Current();
  return Queued(page, Attempt([&] { page.window.picture.ClearScreen(); }));
}

EMSCRIPTEN_KEEPALIVE const char* kv_take_notes(void) { return Returned(Current().view.TakeNotes()); }

// --- flows ------------------------------------------------------------------------

EMSCRIPTEN_KEEPALIVE int kv_open(void) {
  PageWindow& page = Current();
  return Started(page, [&] { return page.window.document.Open(); });
}

EMSCRIPTEN_KEEPALIVE int kv_new(void) {
  PageWindow& page = Current();
  return Started(page, [&] { return page.window.document.New(); });
}

EMSCRIPTEN_KEEPALIVE int kv_save(void) {
  PageWindow& page = Current();
  return Started(page, [&] { return page.window.document.Save(); });
}

EMSCRIPTEN_KEEPALIVE int kv_save_as(void) {
  PageWindow& page = Current();
  return Started(page, [&] { return page.window.document.SaveAs(); });
}

EMSCRIPTEN_KEEPALIVE int kv_close(void) {
  PageWindow& page = Current();
  return Started(page, [&] { return page.window.document.Close(); });
}

EMSCRIPTEN_KEEPALIVE int kv_load_background(void) {
  PageWindow& page = Current();
  return Started(page, [&] { return page.window.picture.LoadBackground(); });
}

EMSCRIPTEN_KEEPALIVE int kv_save_picture(void) {
  PageWindow& page = Current();
  return Started(page, [&] { return page.window.picture.SavePicture(); });
}

EMSCRIPTEN_KEEPALIVE int kv_drop(const char* names_utf8, int count) {
  PageWindow& page = Current();
  return Started(page, [&] { return page.window.document.Drop(SplitNames(names_utf8, count)); });
}

EMSCRIPTEN_KEEPALIVE int kv_restore(const char* text_utf8, const char* file_name_utf8, int modified) {
  PageWindow& page = Current();
  return Started(page, [&] { return page.window.document.Restore(text_utf8, file_name_utf8, modified != 0); });
}

EMSCRIPTEN_KEEPALIVE int kv_open_shared(const char* outcome, const char* text_utf8, int size) {
  PageWindow& page = Current();
  const SharedLink link = SharedLinkNamed(outcome).value_or(SharedLink::kDamaged);
  return Started(page, [&] {
    return page.window.document.OpenShared(link, std::string(text_utf8, static_cast<std::size_t>(std::max(size, 0))));
  });
}

EMSCRIPTEN_KEEPALIVE const char* kv_request_kind(void) { return RequestKindName(Current().request.kind).data(); }
EMSCRIPTEN_KEEPALIVE const char* kv_request_caption(void) { return Current().request.caption.c_str(); }

EMSCRIPTEN_KEEPALIVE const std::uint8_t* kv_request_text(void) {
  return reinterpret_cast<const std::uint8_t*>(Current().request.text.data());
}

EMSCRIPTEN_KEEPALIVE int kv_request_text_size(void) { return static_cast<int>(Current().request.text.size()); }

EMSCRIPTEN_KEEPALIVE const std::uint8_t* kv_request_bytes(void) {
  return reinterpret_cast<const std::uint8_t*>(Current().request.bytes.data());
}

EMSCRIPTEN_KEEPALIVE int kv_request_bytes_size(void) { return static_cast<int>(Current().request.bytes.size()); }

EMSCRIPTEN_KEEPALIVE const char* kv_request_buttons(void) {
  return QuestionButtonsName(Current().request.buttons).data();
}

EMSCRIPTEN_KEEPALIVE const char* kv_request_message(void) { return MessageKindName(Current().request.message).data(); }
EMSCRIPTEN_KEEPALIVE const char* kv_request_dialog(void) { return FileDialogKindName(Current().request.dialog).data(); }
EMSCRIPTEN_KEEPALIVE const char* kv_request_filter(void) { return Current().request.filter.c_str(); }

EMSCRIPTEN_KEEPALIVE const char* kv_request_default_extension(void) {
  return Current().request.default_extension.c_str();
}

EMSCRIPTEN_KEEPALIVE double kv_request_max_bytes(void) { return static_cast<double>(Current().request.max_bytes); }

EMSCRIPTEN_KEEPALIVE int kv_answer(const char* answer, const char* text_utf8, const std::uint8_t* bytes, int size) {
  PageWindow& page = Current();
  page.request = Request();
  Reply reply;
  // An answer the module does not know is a failure, never a silent OK.
  reply.answer = AnswerNamed(answer).value_or(Answer::kFailed);
  try {
    if (text_utf8 != nullptr) reply.text = text_utf8;
    if (bytes != nullptr && size > 0) reply.bytes.assign(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
  } catch (const std::exception& error) {
    // A reply the module cannot hold: the flow ends where it waited, having
    // changed nothing since its last request.
    page.window.flows = FlowRunner();
    Queued(page, ShowError(ErrorMessageOf(error)));
    return 0;
  }
  return Guarded(page, [&] {
    page.request = page.window.flows.Answer(std::move(reply));
    return page.request ? 1 : 0;
  });
}

EMSCRIPTEN_KEEPALIVE int kv_keep_picture(const char* name_utf8, const std::uint8_t* bytes, int size) {
  Current();  // the picture folder is the working folder from the first call on
  const std::string name(name_utf8);
  if (!UsablePictureName(name)) return 1;
  if (bytes == nullptr) {
    std::remove(name.c_str());
    return 0;
  }
  // stdio, not a stream: streams would bring every locale facet into the module.
  std::FILE* file = std::fopen(name.c_str(), "wb");
  if (file == nullptr) return 1;
  const auto length = static_cast<std::size_t>(std::max(size, 0));
  const bool written = std::fwrite(bytes, 1, length, file) == length;
  return std::fclose(file) == 0 && written ? 0 : 1;
}

// --- the document ----------------------------------------------------------------

EMSCRIPTEN_KEEPALIVE void kv_editor_changed(void) { Current().window.document.EditorChanged(); }
EMSCRIPTEN_KEEPALIVE int kv_modified(void) { return Current().window.document.Modified() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int kv_unsaved_work(void) { return Current().window.document.HasUnsavedWork() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE const char* kv_file_name(void) { return Returned(Current().window.document.FileName()); }
EMSCRIPTEN_KEEPALIVE const char* kv_caption(void) { return Returned(Current().window.document.Caption()); }

// --- running ---------------------------------------------------------------------

EMSCRIPTEN_KEEPALIVE int kv_run(const char* program_utf8) {
  PageWindow& page = Current();
  RunController& run = page.window.run;
  if (run.Running()) return -1;
  page.report = RunReport{};
  page.last_was_run = true;
  page.view.editor_text = program_utf8;
  run.Run();
  std::string().swap(page.view.editor_text);
  const RunController::Ending ending = run.LastEnding();
  if (ending == RunController::Ending::kError || ending == RunController::Ending::kUnbalanced) {
    page.report.outcome = ending == RunController::Ending::kError ? RunResult::kError : RunResult::kUnbalanced;
    page.report.messages.push_back(run.LastMessage());
  }
  return RunResultCode(ending);
}

EMSCRIPTEN_KEEPALIVE int kv_press_run(void) {
  RunController& run = Current().window.run;
  if (run.WaitingForStep()) {
    run.Run();  // the waiting run goes on with its next line; nothing suspends here
    return 0;
  }
  return run.Running() || !run.RunEnabled() ? 0 : 1;
}

EMSCRIPTEN_KEEPALIVE int kv_step_key(void) { return Current().window.run.RunEnabled() ? kv_press_run() : 0; }

EMSCRIPTEN_KEEPALIVE void kv_stop(void) { Current().window.run.Stop(); }

EMSCRIPTEN_KEEPALIVE int kv_command_line(const char* line_utf8) {
  PageWindow& page = Current();
  const bool between_runs = !page.window.run.Running();
  if (between_runs) {
    // Typed lines between runs make up the state as kurovel-run --lines does.
    if (page.last_was_run) page.report = RunReport{};
    page.last_was_run = false;
    page.report.normalized.push_back(NormalizeLine(TypedLineCp932(line_utf8)));
  }
  const int boxes_before = page.view.MessagesShown();
  page.window.run.CommandLine(line_utf8);
  const bool failed = page.view.MessagesShown() != boxes_before;
  if (failed && between_runs) {
    page.report.outcome = RunResult::kError;
    page.report.messages.push_back(page.view.LastMessage());
  }
  return failed ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int kv_set_speed(const char* key) {
  for (const RunSpeedRow& row : kRunSpeeds) {
    if (row.key == key) {
      Current().window.run.SetSpeed(row.speed);
      return 0;
    }
  }
  return 1;
}

EMSCRIPTEN_KEEPALIVE const char* kv_speed(void) { return RunSpeedRowOf(Current().window.run.Speed()).key.data(); }

EMSCRIPTEN_KEEPALIVE int kv_running(void) { return Current().window.run.Running() ? 1 : 0; }

// --- what a run leaves -------------------------------------------------------------

EMSCRIPTEN_KEEPALIVE const char* kv_state_json(void) {
  PageWindow& page = Current();
  const Session& session = page.window.session;
  const LineBuffer& normalized = page.last_was_run ? session.runner.NormalizedProgram() : page.report.normalized;
  return Returned(StateJson(session, page.drawing.Flushed(), page.report, normalized));
}

EMSCRIPTEN_KEEPALIVE const char* kv_normalized(void) {
  PageWindow& page = Current();
  const Session& session = page.window.session;
  return Returned(ListTextUtf8(page.last_was_run ? session.runner.NormalizedProgram() : page.report.normalized));
}

EMSCRIPTEN_KEEPALIVE const char* kv_trace(void) {
  const TraceList& trace = Current().window.session.trace;
  return Returned(ListTextUtf8(trace.Lines(), trace.Omitted()));
}

// --- 答え合わせ ----------------------------------------------------------------------

EMSCRIPTEN_KEEPALIVE const char* kv_check_exercise(const char* selected_line_utf8) {
  PageWindow& page = Current();
  try {
    const ExerciseVerdict verdict = CheckSelectedExercise(selected_line_utf8, page.window.session.turtle);
    const nlohmann::json json{{"exercise", verdict.exercise}, {"passed", verdict.passed}, {"message", verdict.message}};
    return Returned(json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
  } catch (const std::exception& error) {
    Queued(page, ShowError(ErrorMessageOf(error)));
    return Returned("null");
  }
}

EMSCRIPTEN_KEEPALIVE int kv_exercise_on_line(const char* line_utf8) {
  const Exercise* exercise = ExerciseOnLine(line_utf8);
  return exercise != nullptr ? exercise->number : 0;
}

EMSCRIPTEN_KEEPALIVE const char* kv_drawing_description(void) {
  PageWindow& page = Current();
  return Returned(DrawingDescription(page.window.session.turtle.Path(), page.drawing.Width(), page.drawing.Height()));
}

}  // extern "C"
