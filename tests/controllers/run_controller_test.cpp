#include "controllers/run_controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "controllers/program_window.h"
#include "engine/limits.h"
#include "engine/raster_surface.h"
#include "fake_front_end.h"

namespace kurovel {
namespace {

using Log = std::vector<std::string>;

// Records what the run asks of its front end. What a user does while the run gives
// its turn, or pauses or waits, are the test's actions, one per turn or wait.
class FakeRunView final : public RunView {
 public:
  std::string EditorText() override { return editor; }
  void ShowRunButtons(bool run_enabled, bool stop_enabled) override {
    log.push_back(std::string("buttons ") + (run_enabled ? "run" : "-") + (stop_enabled ? " stop" : " -"));
  }
  void GiveTurn() override { HandleEvents("turn", at_turns); }
  void Pause(int milliseconds) override { HandleEvents("pause " + std::to_string(milliseconds), at_waits); }
  void WaitUntilWoken() override {
    woken = false;
    HandleEvents("wait", at_waits);
    if (!woken) {
      ADD_FAILURE() << "a wait that nothing ends";
      controller->Stop();
    }
  }
  void Wake() override { woken = true; }
  void LightLine(std::optional<std::int32_t> line) override {
    log.push_back(line ? "light " + std::to_string(*line) : "light none");
  }
  void SelectLine(std::int32_t line) override { log.push_back("select " + std::to_string(line)); }
  void ShowMessage(MessageKind, std::string_view, std::string_view text) override {
    log.push_back("message " + std::string(text));
  }
  void ShowSpeed(RunSpeed speed) override { log.push_back("speed " + std::string(RunSpeedRowOf(speed).key)); }

  std::string editor;
  Log log;
  // What the user does at each turn, and at each pause or wait.
  std::deque<std::function<void()>> at_turns;
  std::deque<std::function<void()>> at_waits;
  RunController* controller = nullptr;
  bool woken = false;

 private:
  void HandleEvents(const std::string& what, std::deque<std::function<void()>>& during) {
    log.push_back(what);
    if (during.empty()) return;
    const std::function<void()> events = std::move(during.front());
    during.pop_front();
    if (events) events();
  }
};

// A program window on a fresh surface, started as a front end starts it.
struct RunHarness {
  RunHarness() {
    view.controller = &window.run;
    window.session.StartAndRepaint();
    view.log.clear();
  }
  // The log without the turns, which depend on the clock.
  Log Paced() const {
    Log paced;
    for (const std::string& entry : view.log) {
      if (entry != "turn") paced.push_back(entry);
    }
    return paced;
  }
  const TurtleState& Turtle() const { return window.session.turtle.State(); }

  RasterSurface surface{kDefaultSurfaceWidth, kDefaultSurfaceHeight};
  FakeRunView view;
  // A long turn interval: only the run's first command gives a turn.
  ProgramWindow window{surface, view, std::chrono::hours(1)};
};

class RunTest : public ::testing::Test, public RunHarness {};

TEST_F(RunTest, ButtonsFollowTheRunAndAFastRunLightsNoLine) {
  view.editor = "fd 10\nrt 90\n";
  window.run.Run();
  // 中断 is enabled before 実行 is disabled, and disabled before 実行 is enabled.
  EXPECT_EQ(Paced(), (Log{"buttons run stop", "buttons - stop", "buttons - -", "buttons run -"}));
  EXPECT_EQ(window.run.LastEnding(), RunController::Ending::kFinished);
  EXPECT_EQ(Turtle().heading, 90);
  EXPECT_TRUE(window.run.RunEnabled());
  EXPECT_FALSE(window.run.StopEnabled());
}

TEST_F(RunTest, ALineTypedDuringARunRunsBetweenTwoCommandsAndTheRunGoesOn) {
  const Point start{Turtle().x, Turtle().y};
  view.editor = "repeat 100\nfd 1\nnext";
  view.at_turns = {[this] { window.run.CommandLine("みぎへ　９０"); }};
  window.run.Run();
  EXPECT_EQ(window.run.LastEnding(), RunController::Ending::kFinished);
  EXPECT_EQ(Turtle().heading, 90);
  EXPECT_EQ(Point({Turtle().x, Turtle().y}), Point({start.x + 100, start.y}));
}

TEST_F(RunTest, AnErrorInATypedLineIsShownAndTheRunGoesOn) {
  view.editor = "repeat 3\nfd 1\nnext";
  view.at_turns = {[this] { window.run.CommandLine("div var1 0"); }};
  window.run.Run();
  EXPECT_EQ(window.run.LastEnding(), RunController::Ending::kFinished);
  const Log log = Paced();
  EXPECT_NE(std::find(log.begin(), log.end(), "message 0 による浮動小数点数除算."), log.end());
  EXPECT_EQ(log.back(), "buttons run -");
}

TEST_F(RunTest, SlowSpeedsPauseBeforeEveryCommandAndLightTheRunningLine) {
  struct Case {
    RunSpeed speed;
    Log expected;
  };
  const Case cases[] = {
      {RunSpeed::kSlow,
       {"buttons run stop", "buttons - stop", "light 0", "pause 200", "pause 200", "light 1", "pause 200",
        "buttons - -", "buttons run -", "light none"}},
      {RunSpeed::kNormal,
       {"buttons run stop", "buttons - stop", "light 0", "pause 20", "pause 20", "light 1", "pause 20",
        "buttons - -", "buttons run -", "light none"}},
  };
  for (const Case& c : cases) {
    RunHarness h;
    h.window.run.SetSpeed(c.speed);
    h.view.log.clear();
    h.view.editor = "fd 1 rt 1\nfd 1";  // the second command of line 0 waits too
    h.window.run.Run();
    EXPECT_EQ(h.Paced(), c.expected) << RunSpeedRowOf(c.speed).key;
  }
}

TEST_F(RunTest, StopDuringAPauseEndsTheRunBeforeItsNextLine) {
  window.run.SetSpeed(RunSpeed::kSlow);
  view.editor = "fd 10\nfd 10\nfd 10";
  const std::int32_t y = Turtle().y;
  // The pause before line 0 passes; Stop comes during the pause before line 1.
  view.at_waits = {nullptr, [this] { window.run.Stop(); }};
  window.run.Run();
  EXPECT_EQ(window.run.LastEnding(), RunController::Ending::kStopped);
  EXPECT_EQ(Turtle().y, y - 10) << "only line 0 ran";
  EXPECT_TRUE(window.run.RunEnabled());
}

TEST_F(RunTest, OneLineAtATimeRunsALinePerPressUntilStop) {
  struct Case {
    const char* name;
    std::vector<std::function<void(RunController&)>> presses;  // one per wait
    RunController::Ending ending;
    int lines_run;
  };
  const auto run = [](RunController& r) { r.Run(); };
  const auto step_key = [](RunController& r) { r.StepKey(); };
  const auto stop = [](RunController& r) { r.Stop(); };
  const auto fastest = [](RunController& r) { r.SetSpeed(RunSpeed::kFastest); };
  const auto close = [](RunController& r) { r.EndForClose(); };
  const Case cases[] = {
      {"実行 for every line", {run, run, run}, RunController::Ending::kFinished, 3},
      {"the step key", {step_key, step_key, step_key}, RunController::Ending::kFinished, 3},
      {"中断 at the second line", {run, stop}, RunController::Ending::kStopped, 1},
      {"full speed from the second line", {run, fastest}, RunController::Ending::kFinished, 3},
      {"the window closes", {close}, RunController::Ending::kStopped, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunHarness h;
    h.window.run.SetSpeed(RunSpeed::kStepByStep);
    h.view.editor = "inc var1 1\ninc var1 1\ninc var1 1";
    h.window.session.variables.SetAll(0);
    RunController& run = h.window.run;
    for (const auto& press : c.presses) {
      h.view.at_waits.push_back([&run, press] {
        // While the run waits, 実行 runs the next line.
        EXPECT_TRUE(run.RunEnabled());
        EXPECT_TRUE(run.WaitingForStep());
        press(run);
      });
    }
    run.Run();
    EXPECT_EQ(run.LastEnding(), c.ending);
    EXPECT_EQ(h.window.session.variables.Get(1), c.lines_run);
    EXPECT_TRUE(h.view.at_waits.empty());
    EXPECT_FALSE(run.WaitingForStep());
    EXPECT_TRUE(run.RunEnabled());
  }
}

TEST_F(RunTest, TheFailedLineIsSelectedAfterTheErrorBox) {
  view.editor = "fd 1\nrepeat 2\ndiv var1 0\nnext";
  window.run.Run();
  EXPECT_EQ(window.run.LastEnding(), RunController::Ending::kError);
  const Log log = Paced();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "message 0 による浮動小数点数除算.");
  EXPECT_EQ(log.back(), "select 2");
  EXPECT_TRUE(window.run.RunEnabled()) << "an error returns the buttons to idle";
}

TEST_F(RunTest, AnUnbalancedProgramShowsTheWarningAndRunsNothing) {
  view.editor = "repeat 2\nfd 10";
  const std::int32_t y = Turtle().y;
  window.run.Run();
  EXPECT_EQ(window.run.LastEnding(), RunController::Ending::kUnbalanced);
  EXPECT_EQ(window.run.LastMessage(), "繰り返しの対(RepeatとNextの数)が一致していません");
  EXPECT_EQ(Turtle().y, y);
}

TEST_F(RunTest, ADropDuringARunReplacesTheEditorButNotTheRunningProgram) {
  testing::FakeFrontEnd front;
  front.files["/p/new.kv"] = "rt 45";
  front.editor = view.editor = "repeat 5\nfd 2\nnext";
  view.at_turns = {[&] {
    front.Drive(window.flows, window.flows.Start(window.document.Drop({"/p/new.kv"})));
    view.editor = front.editor;
  }};
  const std::int32_t y = Turtle().y;
  window.run.Run();
  EXPECT_EQ(view.editor, "rt 45");
  EXPECT_EQ(window.document.FileName(), "/p/new.kv");
  EXPECT_EQ(Turtle().y, y - 10) << "the program that was running ran to its end";
  EXPECT_EQ(Turtle().heading, 0);
}

TEST_F(RunTest, ARunStartedWhileAStoppedOneUnwindsReplacesIt) {
  view.editor = "repeat 1000\nfd 1\nnext";
  view.at_turns = {[this] {
    window.run.Stop();
    view.editor = "rt 30";
    window.run.Run();
  }};
  window.run.Run();
  EXPECT_EQ(window.run.LastEnding(), RunController::Ending::kFinished) << "the newer run reports";
  EXPECT_EQ(Turtle().heading, 30);
  EXPECT_FALSE(window.run.Running());
  EXPECT_TRUE(window.run.RunEnabled());
}

TEST_F(RunTest, TheSpeedIsShownWhenChosen) {
  window.run.SetSpeed(RunSpeed::kNormal);
  EXPECT_EQ(window.run.Speed(), RunSpeed::kNormal);
  EXPECT_EQ(view.log.back(), "speed normal");
}

}  // namespace
}  // namespace kurovel
