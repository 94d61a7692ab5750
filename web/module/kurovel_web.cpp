// The browser page's module: one Kurovel session behind the C API of
// kurovel_web.h. A run gives the browser its turn through Asyncify: the run's
// hooks call GiveBrowserATurn once a slice of run time has passed.

#include "web/module/kurovel_web.h"

#include <emscripten.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "controllers/state_json.h"
#include "engine/deferred_not_xor_surface.h"
#include "engine/limits.h"
#include "engine/raster_surface.h"
#include "files/bitmap_file.h"
#include "files/pictures.h"
#include "files/program_text.h"
#include "controllers/window_rules.h"
#include "language/cp932.h"
#include "language/errors.h"
#include "language/normalizer.h"
#include "language/runner.h"
#include "language/session.h"
#include "language/text_encoding.h"

// Suspends the run until the browser has handled what is waiting (input, a frame
// to paint). A message to itself comes back at once after those; a zero timeout
// (emscripten_sleep) is stretched to 4 ms once timeouts nest, idling a third of
// every slice.
EM_ASYNC_JS(void, GiveBrowserATurn, (), {
  await new Promise((resume) => {
    const channel = new MessageChannel();
    channel.port1.onmessage = () => {
      channel.port1.close();
      resume();
    };
    channel.port2.postMessage(0);
  });
});

namespace kurovel {
namespace {

// A run keeps the page busy for at most about this long before the browser gets a turn.
constexpr double kRunSliceMilliseconds = 8.0;
// The clock is read only every so many hook calls: a command costs far less than a reading.
constexpr unsigned kCallsPerClockReading = 32;
// Where a loaded background's bytes are kept (in the module's memory file system),
// so the picture handlers read it as the desktop reads the chosen file.
constexpr const char* kBackgroundPath = "/kurovel-background.bmp";

std::int32_t ClampSide(int side) { return std::clamp<std::int32_t>(side, 1, kMaxPictureSide); }

// The language works on CP932; a character it cannot hold becomes "?", as the
// desktop converts its editor and command box.
std::string ToCp932(std::string_view utf8) { return ToCp932Program(utf8, TextEncoding::kUtf8); }

// The editor's lines, as the desktop takes them for a run: a final line break ends
// the last line and starts no other; "\r" before a break is dropped.
LineBuffer EditorLines(std::string_view text) {
  LineBuffer lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(ToCp932(line));
    start = end + 1;
  }
  return lines;
}

std::string JoinUtf8(const LineBuffer& lines) {
  std::string text;
  bool first = true;
  for (const std::string_view line : lines) {
    if (!first) text += '\n';
    first = false;
    text += Cp932ToUtf8(line);
  }
  return text;
}

struct WebSession {
  WebSession(std::int32_t width, std::int32_t height) : raster(width, height), drawing(raster), session(drawing) {}

  // The turtle draws through `drawing`, which holds back the arrow's lines; the
  // pixels are read only through drawing.Flushed().
  RasterSurface raster;
  DeferredNotXorSurface drawing;
  Session session;
  PictureState pictures;
  HeadlessRunnerHost host;      // the lines of the current run
  RunReport report;             // outcome and messages for the state
  bool last_was_run = false;    // the state's normalised lines: the run's, or the typed lines'
  std::vector<std::uint8_t> rgba;
  bool whole_surface_dirty = true;
  // Pacing of a run.
  double slice_start = 0;
  unsigned calls_until_clock = 0;
  int command_lines_active = 0;  // a typed line runs inside a suspended run and must not sleep
};

std::unique_ptr<WebSession> g_session;
std::string g_text;      // the string last returned
std::string g_message;   // the message of the last failing call
std::string g_buffer;    // bytes of the last file produced
SourceLines g_source;    // the lines of the program file last read or written
TextEncoding g_encoding = TextEncoding::kShiftJis;

WebSession& Current() {
  if (!g_session) g_session = std::make_unique<WebSession>(kDefaultSurfaceWidth, kDefaultSurfaceHeight);
  return *g_session;
}

const char* Returned(std::string text) {
  g_text = std::move(text);
  return g_text.c_str();
}

// Runs one handler as the desktop's guard does: an error becomes the error box's text.
template <typename Handler>
int Guarded(Handler&& handler) {
  try {
    handler();
    return 0;
  } catch (const std::exception& error) {
    g_message = ErrorBoxText(error.what());
    return 1;
  }
}

// The pending-events and line hook of a run: once a slice has passed, the browser
// gets its turn (Stop, typed lines and painting happen then).
void GiveWay(WebSession& web) {
  if (web.command_lines_active > 0 || ++web.calls_until_clock < kCallsPerClockReading) return;
  web.calls_until_clock = 0;
  if (emscripten_get_now() - web.slice_start < kRunSliceMilliseconds) return;
  GiveBrowserATurn();
  web.slice_start = emscripten_get_now();
}

// The surface's 0xffRRGGBB words of one rectangle as RGBA bytes.
void CopyRgba(WebSession& web, const PixelRect& rect) {
  const RasterSurface& raster = web.drawing.Flushed();
  const std::int32_t width = raster.Width();
  const std::uint32_t* bits = raster.Bits();
  for (std::int32_t y = rect.top; y < rect.bottom; ++y) {
    for (std::int32_t x = rect.left; x < rect.right; ++x) {
      const std::uint32_t word = bits[static_cast<std::size_t>(y) * width + x];
      std::uint8_t* out = &web.rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      out[0] = static_cast<std::uint8_t>(word >> 16);
      out[1] = static_cast<std::uint8_t>(word >> 8);
      out[2] = static_cast<std::uint8_t>(word);
      out[3] = 0xff;
    }
  }
}

PixelRect ClipToSurface(PixelRect rect, const RasterSurface& surface) {
  rect.left = std::max(rect.left, 0);
  rect.top = std::max(rect.top, 0);
  rect.right = std::min(rect.right, surface.Width());
  rect.bottom = std::min(rect.bottom, surface.Height());
  return rect;
}

}  // namespace
}  // namespace kurovel

using namespace kurovel;

extern "C" {

EMSCRIPTEN_KEEPALIVE int kv_create(int width, int height) {
  if (g_session && g_session->session.runner.Running()) return 1;
  g_session = std::make_unique<WebSession>(ClampSide(width), ClampSide(height));
  g_session->session.StartAndRepaint();
  return 0;
}

EMSCRIPTEN_KEEPALIVE int kv_resize(int width, int height) {
  WebSession& web = Current();
  web.drawing.Flushed().Resize(ClampSide(width), ClampSide(height));
  web.whole_surface_dirty = true;
  web.session.Repaint(web.drawing.Width(), web.drawing.Height());
  return Guarded([&] { LayRememberedBackground(web.session.turtle, web.pictures); });
}

EMSCRIPTEN_KEEPALIVE int kv_width(void) { return Current().drawing.Width(); }
EMSCRIPTEN_KEEPALIVE int kv_height(void) { return Current().drawing.Height(); }

EMSCRIPTEN_KEEPALIVE const std::uint8_t* kv_pixels(void) {
  WebSession& web = Current();
  const std::size_t size = static_cast<std::size_t>(web.drawing.Width()) * web.drawing.Height() * 4;
  if (web.rgba.size() != size) {
    web.rgba.assign(size, 0xff);
    web.whole_surface_dirty = true;
  }
  return web.rgba.data();
}

EMSCRIPTEN_KEEPALIVE int kv_take_dirty(int* rect) {
  WebSession& web = Current();
  kv_pixels();  // the buffer has the surface's size
  RasterSurface& raster = web.drawing.Flushed();
  PixelRect dirty = raster.TakeDirtyRect();
  if (web.whole_surface_dirty) dirty = PixelRect{0, 0, raster.Width(), raster.Height()};
  web.whole_surface_dirty = false;
  dirty = ClipToSurface(dirty, raster);
  if (dirty.Empty()) {
    std::fill(rect, rect + 4, 0);
    return 0;
  }
  CopyRgba(web, dirty);
  rect[0] = dirty.left;
  rect[1] = dirty.top;
  rect[2] = dirty.right - dirty.left;
  rect[3] = dirty.bottom - dirty.top;
  return 1;
}

EMSCRIPTEN_KEEPALIVE int kv_command_line(const char* line_utf8) {
  WebSession& web = Current();
  const std::string line = NormalizeLine(ToCp932(line_utf8));
  if (!web.session.runner.Running()) {
    // Typed lines between runs make up the state as kurovel-run --lines does.
    if (web.last_was_run) web.report = RunReport{};
    web.last_was_run = false;
    web.report.normalized.push_back(line);
  }
  ++web.command_lines_active;
  const int status = Guarded([&] { web.session.executor.ExecuteLine(line); });
  --web.command_lines_active;
  if (status != 0 && !web.session.runner.Running()) {
    web.report.outcome = RunResult::kError;
    web.report.messages.push_back(g_message);
  }
  return status;
}

EMSCRIPTEN_KEEPALIVE int kv_run(const char* program_utf8) {
  WebSession& web = Current();
  if (web.session.runner.Running()) return -1;
  web.report = RunReport{};
  web.last_was_run = true;
  web.host = HeadlessRunnerHost(EditorLines(program_utf8));
  web.slice_start = emscripten_get_now();
  web.calls_until_clock = 0;
  web.session.executor.SetPendingEventsHook([&web] { GiveWay(web); });
  web.session.runner.SetLineHook([&web](std::int32_t) { GiveWay(web); });
  int result = kKvFinished;
  const int status = Guarded([&] {
    switch (web.session.runner.RunProgram(web.host)) {
      case RunOutcome::kFinished:
        break;
      case RunOutcome::kStopped:
        result = kKvStopped;
        break;
      case RunOutcome::kUnbalanced:
        result = kKvUnbalanced;
        web.report.outcome = RunResult::kUnbalanced;
        web.report.messages = web.host.warnings;
        g_message = web.host.warnings.empty() ? std::string() : web.host.warnings.back();
        break;
    }
  });
  web.session.executor.SetPendingEventsHook(nullptr);
  web.session.runner.SetLineHook(nullptr);
  if (status != 0) {
    web.report.outcome = RunResult::kError;
    web.report.messages.push_back(g_message);
    return kKvError;
  }
  return result;
}

EMSCRIPTEN_KEEPALIVE void kv_stop(void) {
  WebSession& web = Current();
  web.session.runner.StopProgram(web.host);
}

EMSCRIPTEN_KEEPALIVE int kv_running(void) { return Current().session.runner.Running() ? 1 : 0; }

EMSCRIPTEN_KEEPALIVE const char* kv_message(void) { return g_message.c_str(); }

EMSCRIPTEN_KEEPALIVE const char* kv_state_json(void) {
  WebSession& web = Current();
  const LineBuffer& normalized = web.last_was_run ? web.session.runner.NormalizedProgram() : web.report.normalized;
  return Returned(StateJson(web.session, web.drawing.Flushed(), web.report, normalized));
}

EMSCRIPTEN_KEEPALIVE const char* kv_normalized(void) {
  WebSession& web = Current();
  return Returned(JoinUtf8(web.last_was_run ? web.session.runner.NormalizedProgram() : web.report.normalized));
}

EMSCRIPTEN_KEEPALIVE const char* kv_trace(void) { return Returned(JoinUtf8(Current().session.trace.Lines())); }

EMSCRIPTEN_KEEPALIVE const char* kv_read_program(const std::uint8_t* bytes, int size) {
  if (size < 0 || size > kMaxProgramFileBytes) {
    g_message = ErrorBoxText(kTextTooLarge);
    return nullptr;
  }
  const std::string_view view(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
  std::string text = ProgramUtf8FromBytes(view, &g_encoding);
  // Unchanged lines of a Shift-JIS file are saved with their own bytes.
  g_source = g_encoding == TextEncoding::kShiftJis ? SourceLines(view) : SourceLines();
  return Returned(std::move(text));
}

EMSCRIPTEN_KEEPALIVE const char* kv_program_encoding(void) { return EncodingName(g_encoding).data(); }

EMSCRIPTEN_KEEPALIVE int kv_write_program(const char* text_utf8) {
  return Guarded([&] {
    g_buffer = ProgramBytesFromUtf8(text_utf8, g_source);
    g_source = SourceLines(g_buffer);
  });
}

EMSCRIPTEN_KEEPALIVE int kv_load_background(const std::uint8_t* bytes, int size) {
  WebSession& web = Current();
  return Guarded([&] {
    std::ofstream(kBackgroundPath, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes), std::max(size, 0));
    UseBackground(web.session.turtle, web.pictures, kBackgroundPath);
  });
}

EMSCRIPTEN_KEEPALIVE int kv_clear_screen(void) {
  WebSession& web = Current();
  return Guarded([&] { ClearWithBackground(web.session.turtle, web.pictures); });
}

EMSCRIPTEN_KEEPALIVE void kv_forget_background(void) {
  WebSession& web = Current();
  web.pictures.background_file_name.clear();
  g_source = SourceLines();
  web.session.turtle.ClearScreen();
}

EMSCRIPTEN_KEEPALIVE int kv_save_picture(void) {
  WebSession& web = Current();
  return Guarded([&] { g_buffer = EncodeBitmap(TakeDrawingSnapshot(web.drawing)); });
}

EMSCRIPTEN_KEEPALIVE const char* kv_caption(const char* file_name_utf8) {
  return Returned(WindowCaption(file_name_utf8));
}

EMSCRIPTEN_KEEPALIVE int kv_drop_request(const char* names_utf8, int count) {
  std::vector<std::string> names;
  const std::string_view joined(names_utf8);
  for (std::size_t start = 0; static_cast<int>(names.size()) < count;) {
    const std::size_t end = std::min(joined.find('\n', start), joined.size());
    names.emplace_back(joined.substr(start, end - start));
    start = end + 1;
  }
  return static_cast<int>(DropRequestFor(names));
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* kv_buffer(void) {
  return reinterpret_cast<const std::uint8_t*>(g_buffer.data());
}

EMSCRIPTEN_KEEPALIVE int kv_buffer_size(void) { return static_cast<int>(g_buffer.size()); }

}  // extern "C"
