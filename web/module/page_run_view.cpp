#include "web/module/page_run_view.h"

#include <emscripten.h>

#include "web/module/request_names.h"

// The run's three waits. Each ends with Module.afterTurn(), where the page holds
// the run while one of its boxes is open.
//
// A turn: a message the module posts to itself comes back at once after the
// browser has handled what is waiting (input, a frame to paint); a zero timeout is
// stretched to 4 ms once timeouts nest, idling a third of every slice.
EM_ASYNC_JS(void, GiveBrowserATurn, (), {
  await new Promise((resume) => {
    const channel = new MessageChannel();
    channel.port1.onmessage = () => {
      channel.port1.close();
      resume();
    };
    channel.port2.postMessage(0);
  });
  if (Module["afterTurn"]) await Module["afterTurn"]();
});

// Until WakeTheRun, or until milliseconds have passed when that is not negative.
EM_ASYNC_JS(void, WaitForWake, (int milliseconds), {
  await new Promise((resume) => {
    let timer = 0;
    Module["wakeTheRun"] = () => {
      clearTimeout(timer);
      Module["wakeTheRun"] = null;
      resume();
    };
    if (milliseconds >= 0) timer = setTimeout(Module["wakeTheRun"], milliseconds);
  });
  if (Module["afterTurn"]) await Module["afterTurn"]();
});

EM_JS(void, WakeTheRun, (), {
  if (Module["wakeTheRun"]) Module["wakeTheRun"]();
});

namespace kurovel {

void PageRunView::ShowRunButtons(bool run_enabled, bool stop_enabled) {
  notes_.push_back({{"note", "buttons"}, {"run", run_enabled}, {"stop", stop_enabled}});
}

void PageRunView::GiveTurn() { GiveBrowserATurn(); }

void PageRunView::Pause(int milliseconds) { WaitForWake(milliseconds); }

void PageRunView::WaitUntilWoken() { WaitForWake(-1); }

void PageRunView::Wake() { WakeTheRun(); }

void PageRunView::LightLine(std::optional<std::int32_t> line) {
  notes_.push_back({{"note", "light"}, {"line", line ? nlohmann::json(*line) : nlohmann::json(nullptr)}});
}

void PageRunView::SelectLine(std::int32_t line) { notes_.push_back({{"note", "select"}, {"line", line}}); }

void PageRunView::ShowMessage(MessageKind kind, std::string_view caption, std::string_view text) {
  notes_.push_back({{"note", "message"},
                    {"kind", MessageKindName(kind)},
                    {"caption", std::string(caption)},
                    {"text", std::string(text)}});
  ++messages_shown_;
  last_message_ = std::string(text);
}

void PageRunView::ShowSpeed(RunSpeed speed) {
  notes_.push_back({{"note", "speed"}, {"speed", RunSpeedRowOf(speed).key}});
}

std::string PageRunView::TakeNotes() {
  std::string json = notes_.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  notes_ = nlohmann::json::array();
  return json;
}

}  // namespace kurovel
