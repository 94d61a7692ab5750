// Pacing of runs in the main window: Stop and the command box during long runs,
// the speed menu, one line at a time, the running and the failed line.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "tests/ui/main_window_fixture.h"
#include "tests/ui/modal_script.h"

namespace kurovel {
namespace {

using testing::ModalScript;
using testing::U;

class PacingTest : public testing::MainWindowFixture {
 protected:
  void SetUp() override { Start(); }
  QPushButton* Run() const { return Find<QPushButton>("Button6"); }
  QPushButton* Stop() const { return Find<QPushButton>("Button7"); }
  const TurtleState& Turtle() const { return form_->GetSession().turtle.State(); }
  int Variable(int k) const { return form_->GetSession().variables.Get(k); }
  // The editor line lit as the running one, or -1.
  int LitLine() const { return Editor()->LitLine().value_or(-1); }
  void TypeCommand(const QString& text) const {
    auto* box = Find<QLineEdit>("Edit1");
    box->setText(text);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(box, &press);
  }
  // Runs the steps one after the other while a run waits or draws: each starts
  // once the window has had its turn again.
  void During(std::vector<std::function<void()>> steps) {
    steps_ = std::move(steps);
    NextStep();
  }

 private:
  void NextStep() {
    if (steps_.empty()) return;
    QTimer::singleShot(30, form_.get(), [this] {
      const std::function<void()> step = steps_.front();
      steps_.erase(steps_.begin());
      step();
      NextStep();
    });
  }
  std::vector<std::function<void()>> steps_;
};

TEST_F(PacingTest, StartsAtFullSpeedAndRemembersTheChoice) {
  EXPECT_EQ(form_->Speed(), RunSpeed::kFastest);
  EXPECT_TRUE(Find<QAction>("Speed_fastest")->isChecked());
  const QStringList captions = [&] {
    QStringList texts;
    for (const RunSpeedRow& row : kRunSpeeds) texts << Find<QAction>(("Speed_" + std::string(row.key)).c_str())->text();
    return texts;
  }();
  EXPECT_EQ(captions, (QStringList{U("最高速"), U("速い"), U("ふつう"), U("ゆっくり"), U("1行ずつ")}));
  Find<QAction>("Speed_slow")->trigger();
  EXPECT_EQ(form_->Speed(), RunSpeed::kSlow);
  form_ = std::make_unique<MainWindow>(QStringList{});
  EXPECT_EQ(form_->Speed(), RunSpeed::kSlow);
  EXPECT_TRUE(Find<QAction>("Speed_slow")->isChecked());
  form_->SetSpeed(RunSpeed::kFastest);  // the next test starts from the default again
}

// Stop and a command-box line reach a long run, also one whose loop gives the
// turtle no command at all.
TEST_F(PacingTest, StopAndTheCommandBoxReachLongRuns) {
  const struct {
    const char* program;
    bool turns;  // whether the program itself turns the turtle
  } cases[] = {{"repeat 100000000\nfd 1\nrt 1\nnext", true}, {"repeat 2000000000\ninc var1 1\nnext", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    form_->GetSession().turtle.ResetHeading();
    Editor()->setText(U(c.program));
    std::int32_t heading_after_line = 0;
    During({[&] { TypeCommand(U("rt 7")); },
            [&] {
              heading_after_line = Turtle().heading;
              Stop()->click();
            }});
    Run()->click();  // returns once the run has stopped
    EXPECT_FALSE(form_->Runner().Running());
    EXPECT_TRUE(Run()->isEnabled());
    // The typed line ran in the middle of the run.
    if (!c.turns) {
      EXPECT_EQ(heading_after_line, 7);
    }
    EXPECT_NE(heading_after_line, 0);
  }
  EXPECT_GT(Variable(1), 10);  // the inc loop ran until Stop
}

TEST_F(PacingTest, SlowSpeedsWaitBeforeEveryCommandAndLightTheRunningLine) {
  form_->SetSpeed(RunSpeed::kNormal);  // 20 ms a command
  Editor()->setText(U("fd 10 rt 90\nrepeat 2\nfd 5\nnext"));
  int lit_while_running = -1;
  During({[&] { lit_while_running = LitLine(); }});
  const Point start{Turtle().x, Turtle().y};
  QElapsedTimer clock;
  clock.start();
  Run()->click();
  // A pause before every line run (0, 1, 2 twice) and before the second command
  // of line 0: at least five pauses, however busy the machine.
  EXPECT_GE(clock.elapsed(), 5 * RunSpeedRowOf(RunSpeed::kNormal).command_wait_ms);
  EXPECT_GE(lit_while_running, 0);
  EXPECT_EQ(LitLine(), -1);  // nothing stays lit after the run
  EXPECT_EQ((Point{Turtle().x, Turtle().y}), (Point{start.x + 10, start.y - 10}));
  form_->SetSpeed(RunSpeed::kFastest);
}

TEST_F(PacingTest, OneLineAtATimeRunsALinePerPressUntilStop) {
  form_->SetSpeed(RunSpeed::kStepByStep);
  Editor()->setText(U("fd 10\nrt 90\nfd 20\nfd 30"));
  struct Seen {
    int lit;
    std::int32_t y, heading;
    bool run_enabled;
  };
  std::vector<Seen> seen;
  const auto look = [&] { seen.push_back({LitLine(), Turtle().y, Turtle().heading, Run()->isEnabled()}); };
  During({look, [&] { Run()->click(); }, look, [&] { form_->RunProgram(); }, look, [&] { Stop()->click(); }});
  const Point start{Turtle().x, Turtle().y};
  Run()->click();
  ASSERT_EQ(seen.size(), 3u);
  // Before line 0 nothing has moved; each press runs exactly one line and waits.
  EXPECT_EQ(seen[0].lit, 0);
  EXPECT_EQ(seen[0].y, start.y);
  EXPECT_TRUE(seen[0].run_enabled);
  EXPECT_EQ(seen[1].lit, 1);
  EXPECT_EQ(seen[1].y, start.y - 10);
  EXPECT_EQ(seen[1].heading, 0);
  EXPECT_EQ(seen[2].lit, 2);
  EXPECT_EQ(seen[2].heading, 90);
  // Stop ended the run before "fd 20".
  EXPECT_EQ(Turtle().x, start.x);
  EXPECT_FALSE(form_->Runner().Running());
  EXPECT_TRUE(Run()->isEnabled());
  EXPECT_FALSE(Stop()->isEnabled());
  form_->SetSpeed(RunSpeed::kFastest);
}

TEST_F(PacingTest, TheFailedLineIsShownAfterTheErrorBox) {
  for (const RunSpeed speed : {RunSpeed::kFastest, RunSpeed::kFast}) {
    form_->SetSpeed(speed);
    Editor()->setText(U("fd 10\nrepeat 2\ninc var1 1\nrepeat x\nnext\nnext"));
    ModalScript script({ModalScript::Press(QMessageBox::Ok)});
    Run()->click();
    ASSERT_EQ(script.seen.size(), 1u);
    EXPECT_EQ(script.seen[0].text, U("'x' は整数ではありません."));
    int line_from = -1, index_from = -1, line_to = -1, index_to = -1;
    Editor()->getSelection(&line_from, &index_from, &line_to, &index_to);
    EXPECT_EQ(line_from, 3);
    EXPECT_EQ(line_to, 3);
    EXPECT_EQ(Editor()->selectedText(), U("repeat x"));
  }
  form_->SetSpeed(RunSpeed::kFastest);
}

}  // namespace
}  // namespace kurovel
