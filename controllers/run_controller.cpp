#include "controllers/run_controller.h"

#include <exception>

#include "controllers/editor_text.h"
#include "controllers/window_texts.h"
#include "language/errors.h"
#include "language/normalizer.h"
#include "language/scoped_count.h"

namespace kurovel {

// What the program runner needs of its caller: the program and the buttons, and
// the warning box.
class RunController::Host final : public RunnerHost {
 public:
  explicit Host(RunController& controller) : controller_(controller) {}

  const LineBuffer& ProgramLines() override {
    lines_ = EditorLinesCp932(controller_.view_.EditorText());
    return lines_;
  }
  void SetRunEnabled(bool enabled) override {
    controller_.run_enabled_ = enabled;
    controller_.ShowButtons();
  }
  void SetStopEnabled(bool enabled) override {
    controller_.stop_enabled_ = enabled;
    controller_.ShowButtons();
  }
  void ShowWarning(std::string_view caption, std::string_view text) override {
    controller_.view_.ShowMessage(MessageKind::kWarning, caption, text);
    controller_.warning_ = std::string(text);
  }

 private:
  RunController& controller_;
  LineBuffer lines_;  // the editor's lines of the latest run
};

RunController::RunController(Session& session, RunView& view, std::chrono::steady_clock::duration turn_interval)
    : session_(session), view_(view), host_(std::make_unique<Host>(*this)), budget_(turn_interval) {
  session_.executor.SetPendingEventsHook([this] { BeforeCommand(); });
  session_.runner.SetLineHook([this](std::int32_t line) { BeforeLine(line); });
}

RunController::~RunController() {
  // The hooks point here; a session that outlives the controller must not call back.
  session_.executor.SetPendingEventsHook({});
  session_.runner.SetLineHook({});
}

void RunController::Run() {
  if (waiting_for_step_) {
    GrantStep();
    return;
  }
  // The first command gives the front end its turn: the buttons show the run at once.
  budget_.DeliverAtNextCall();
  running_line_ = 0;
  commands_in_line_ = 0;
  const std::uint64_t run = ++latest_run_;
  ++runs_;
  warning_.clear();
  Ending ending = Ending::kFinished;
  std::string message;
  try {
    switch (session_.runner.RunProgram(*host_)) {
      case RunOutcome::kFinished:
        break;
      case RunOutcome::kStopped:
        ending = Ending::kStopped;
        break;
      case RunOutcome::kUnbalanced:
        ending = Ending::kUnbalanced;
        message = warning_;
        break;
    }
  } catch (const std::exception& error) {
    ending = Ending::kError;
    message = ErrorBoxText(ErrorMessageOf(error));
  }
  --runs_;
  const std::int32_t failed_line = running_line_;
  if (run != latest_run_) return;  // a newer run, started meanwhile, reports for both
  Light(std::nullopt);
  last_ending_ = ending;
  last_message_ = message;
  if (ending != Ending::kError) return;
  // After the error box: the line that failed, for the pupil to look at.
  view_.ShowMessage(MessageKind::kError, kApplicationTitle, message);
  view_.SelectLine(failed_line);
}

void RunController::StepKey() {
  if (run_enabled_) Run();
}

void RunController::Stop() {
  if (!stop_enabled_) return;
  session_.runner.StopProgram(*host_);
  view_.Wake();
}

void RunController::EndForClose() {
  if (Running()) session_.runner.StopProgram(*host_);
  view_.Wake();
}

void RunController::CommandLine(std::string_view text_utf8) {
  const std::string line = NormalizeLine(TypedLineCp932(text_utf8));
  std::string message;
  try {
    const ScopedCount typed(typed_lines_);  // the command-box lines that are running
    session_.executor.ExecuteLine(line);
  } catch (const std::exception& error) {
    message = ErrorBoxText(ErrorMessageOf(error));
  }
  if (!message.empty()) view_.ShowMessage(MessageKind::kError, kApplicationTitle, message);
}

void RunController::SetSpeed(RunSpeed speed) {
  speed_ = speed;
  view_.ShowSpeed(speed);
  // A run that waits for its next line goes on at the new speed; a pause ends.
  if (waiting_for_step_ && speed != RunSpeed::kStepByStep) {
    GrantStep();
  } else {
    view_.Wake();
  }
}

void RunController::BeforeCommand() {
  // A line typed during a run neither waits nor gives a turn: it runs between two
  // commands of the run, which is already waiting for it.
  if (typed_lines_ > 0 || runs_ == 0) return;
  if (budget_.Due()) DeliverEvents();
  // The first command of a line has waited with its line.
  if (speed_ == RunSpeed::kFastest || speed_ == RunSpeed::kStepByStep) return;
  if (commands_in_line_++ == 0) return;
  Pause(RunSpeedRowOf(speed_).command_wait_ms);
}

void RunController::BeforeLine(std::int32_t line) {
  running_line_ = line;
  commands_in_line_ = 0;
  // Lines without turtle commands give the front end its turn too, so a loop of
  // "inc" lines can be stopped like any other run.
  if (budget_.Due()) DeliverEvents();
  if (speed_ == RunSpeed::kFastest) {
    if (lit_line_) Light(std::nullopt);
    return;
  }
  if (!session_.runner.RunEnabled()) return;
  Light(line);
  if (speed_ == RunSpeed::kStepByStep) {
    WaitForStep();
  } else {
    Pause(RunSpeedRowOf(speed_).command_wait_ms);
  }
}

void RunController::DeliverEvents() {
  view_.GiveTurn();
  budget_.Delivered();
}

void RunController::Pause(int milliseconds) {
  if (milliseconds <= 0) return;
  view_.Pause(milliseconds);
  budget_.Delivered();
}

void RunController::WaitForStep() {
  // While the run waits, 実行 (and the step key) runs the next line; 中断 ends it.
  waiting_for_step_ = true;
  step_granted_ = false;
  run_enabled_ = true;
  ShowButtons();
  while (!step_granted_ && session_.runner.RunEnabled() && speed_ == RunSpeed::kStepByStep) view_.WaitUntilWoken();
  waiting_for_step_ = false;
  if (session_.runner.RunEnabled()) {
    run_enabled_ = false;
    ShowButtons();
  }
  budget_.Delivered();
}

void RunController::GrantStep() {
  step_granted_ = true;
  view_.Wake();
}

void RunController::Light(std::optional<std::int32_t> line) {
  if (line == lit_line_) return;
  lit_line_ = line;
  view_.LightLine(line);
}

void RunController::ShowButtons() { view_.ShowRunButtons(run_enabled_, stop_enabled_); }

}  // namespace kurovel
