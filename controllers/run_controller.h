#pragma once
// The run: 実行 and 中断, a line typed into the command box (also during a run),
// when a running program gives its front end a turn, the five speeds with the
// running line lit, one line at a time, and the line that failed.
//
// A run is one long call that executes the program. It reaches its front end
// only through RunView, whose waiting calls (GiveTurn, Pause, WaitUntilWoken) let
// the front end handle its events meanwhile: the desktop runs its event loop
// inside them, the page suspends the run until the browser has had its turn.
// Those events come back here (Stop, CommandLine, Run, SetSpeed) in the middle of
// the run.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "controllers/requests.h"
#include "controllers/event_budget.h"
#include "controllers/run_speed.h"
#include "language/runner.h"
#include "language/session.h"

namespace kurovel {

class RunView {
 public:
  virtual ~RunView() = default;
  // The editor's text (UTF-8, "\n" between lines), read when a run starts.
  virtual std::string EditorText() = 0;
  // Whether 実行 and 中断 can be pressed.
  virtual void ShowRunButtons(bool run_enabled, bool stop_enabled) = 0;
  // Handle the events that are waiting and show what has been drawn.
  virtual void GiveTurn() = 0;
  // Handle events for this long, or until Wake().
  virtual void Pause(int milliseconds) = 0;
  // Handle events until Wake().
  virtual void WaitUntilWoken() = 0;
  // Ends a Pause or WaitUntilWoken in progress; called from an event handled in it.
  virtual void Wake() = 0;
  // The line (from 0) that runs now, lit in the editor and scrolled into view;
  // nothing when no line is lit.
  virtual void LightLine(std::optional<std::int32_t> line) = 0;
  // After the error box: the line that failed, selected in the editor.
  virtual void SelectLine(std::int32_t line) = 0;
  // A box with one OK button (the error box, or the unbalanced-program warning).
  virtual void ShowMessage(MessageKind kind, std::string_view caption, std::string_view text) = 0;
  // The speed chosen, to be shown and remembered for the next start.
  virtual void ShowSpeed(RunSpeed speed) = 0;
};

class RunController {
 public:
  // turn_interval: how much run time passes between two turns of the front end.
  RunController(Session& session, RunView& view, std::chrono::steady_clock::duration turn_interval);
  ~RunController();
  RunController(const RunController&) = delete;
  RunController& operator=(const RunController&) = delete;

  // 実行: runs the editor's program. While a run waits for its next line (one line
  // at a time), 実行 lets it run that line instead.
  void Run();
  // The step key (F8): as 実行, when 実行 can be pressed.
  void StepKey();
  // 中断: the run executes no further line and any wait ends.
  void Stop();
  // Enter in the command box: the line runs at once, between two commands of a
  // running program, never paced. An error ends the line and shows the error box.
  void CommandLine(std::string_view text_utf8);
  void SetSpeed(RunSpeed speed);
  // The window closes: as Stop, and no wait starts any more.
  void EndForClose();

  RunSpeed Speed() const { return speed_; }
  bool Running() const { return session_.runner.Running(); }
  bool WaitingForStep() const { return waiting_for_step_; }
  bool RunEnabled() const { return run_enabled_; }
  bool StopEnabled() const { return stop_enabled_; }
  // The line lit now, if any.
  std::optional<std::int32_t> LitLine() const { return lit_line_; }
  // How the last run ended, and its message (error or warning text, UTF-8).
  enum class Ending { kNone, kFinished, kStopped, kUnbalanced, kError };
  Ending LastEnding() const { return last_ending_; }
  const std::string& LastMessage() const { return last_message_; }

 private:
  class Host;  // the runner's view of the controller

  // The hooks of a run: before every command, and before every line.
  void BeforeCommand();
  void BeforeLine(std::int32_t line);
  void DeliverEvents();
  void Pause(int milliseconds);
  void WaitForStep();
  void GrantStep();
  void Light(std::optional<std::int32_t> line);
  void ShowButtons();

  Session& session_;
  RunView& view_;
  std::unique_ptr<Host> host_;
  EventBudget budget_;
  RunSpeed speed_ = RunSpeed::kFastest;
  bool run_enabled_ = true;
  bool stop_enabled_ = false;
  int runs_ = 0;                  // runs that have not returned, nested ones included
  int typed_lines_ = 0;           // command-box lines running now
  std::int32_t running_line_ = 0;
  int commands_in_line_ = 0;      // commands of the running line so far
  std::optional<std::int32_t> lit_line_;
  bool waiting_for_step_ = false;
  bool step_granted_ = false;
  std::uint64_t latest_run_ = 0;  // counts the runs started
  std::string warning_;           // the warning box's text of the latest run
  Ending last_ending_ = Ending::kNone;
  std::string last_message_;
};

}  // namespace kurovel
