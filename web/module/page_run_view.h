#pragma once
// The run as the page sees it: the run's waits suspend it (Asyncify) until the
// browser has had its turn, a pause has passed or the page wakes it; everything
// it shows is queued as notes that the page takes after each call and each frame.
// Nothing here suspends when called from a synchronous export: only GiveTurn,
// Pause and WaitUntilWoken do, and the run controller calls them only from a run.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "controllers/run_controller.h"

namespace kurovel {

class PageRunView final : public RunView {
 public:
  std::string EditorText() override { return editor_text; }
  void ShowRunButtons(bool run_enabled, bool stop_enabled) override;
  void GiveTurn() override;
  void Pause(int milliseconds) override;
  void WaitUntilWoken() override;
  void Wake() override;
  void LightLine(std::optional<std::int32_t> line) override;
  void SelectLine(std::int32_t line) override;
  void ShowMessage(MessageKind kind, std::string_view caption, std::string_view text) override;
  void ShowSpeed(RunSpeed speed) override;

  // The notes queued since the last call, as a JSON array; the queue is emptied.
  std::string TakeNotes();
  // How many boxes have been queued, and the text of the last one.
  int MessagesShown() const { return messages_shown_; }
  const std::string& LastMessage() const { return last_message_; }

  // The program of the run that kv_run starts.
  std::string editor_text;

 private:
  nlohmann::json notes_ = nlohmann::json::array();
  int messages_shown_ = 0;
  std::string last_message_;
};

}  // namespace kurovel
