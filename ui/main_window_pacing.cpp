// The pacing of runs in the main window: pending events delivered on a time
// budget, the speed menu, slow runs that wait before every command with the
// running line lit, one line at a time, and the line of an error shown.

#include <QAction>
#include <QActionGroup>
#include <QColor>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QTextBlock>
#include <QTimer>
#include <utility>

#include "language/errors.h"
#include "ui/drawing_area.h"
#include "ui/main_window.h"

namespace kurovel {

namespace {

constexpr const char* kSpeedMenuCaption = "速度";
constexpr const char* kSpeedSettingsKey = "speed";
// The running line's background in the editor.
const QColor kRunningLineColor(255, 240, 160);

QSettings Settings() { return QSettings(QStringLiteral("Kurovel"), QStringLiteral("Kurovel")); }

QString Text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

QString SpeedActionName(RunSpeed speed) { return QStringLiteral("Speed_") + Text(RunSpeedRowOf(speed).key); }

RunSpeed RememberedSpeed() {
  const QString key = Settings().value(QString::fromUtf8(kSpeedSettingsKey)).toString();
  for (const RunSpeedRow& row : kRunSpeeds) {
    if (key == Text(row.key)) return row.speed;
  }
  return RunSpeed::kFastest;
}

}  // namespace

int MainWindow::BeginRunPacing() {
  event_budget_.DeliverAtNextCall();
  running_line_ = 0;
  commands_in_line_ = 0;
  return std::exchange(run_handler_depth_, handler_depth_);
}

void MainWindow::EndRunPacing(int outer_depth) {
  run_handler_depth_ = outer_depth;
  HighlightLine(std::nullopt);
}

void MainWindow::BuildSpeedMenu() {
  QMenu* menu = menuBar()->addMenu(QString::fromUtf8(kSpeedMenuCaption));
  menu->setObjectName(QStringLiteral("SpeedMenu"));
  menu->menuAction()->setObjectName(QStringLiteral("SpeedMenu"));
  auto* group = new QActionGroup(menu);
  group->setExclusive(true);
  const RunSpeed remembered = RememberedSpeed();
  for (const RunSpeedRow& row : kRunSpeeds) {
    QAction* action = menu->addAction(Text(row.caption));
    action->setObjectName(SpeedActionName(row.speed));
    action->setCheckable(true);
    action->setChecked(row.speed == remembered);
    group->addAction(action);
    const RunSpeed speed = row.speed;
    connect(action, &QAction::triggered, this, [this, speed] { SetSpeed(speed); });
  }
  speed_ = remembered;
  // F8 anywhere in the window: the next line when stepping, else 実行.
  auto* step_key = new QShortcut(QKeySequence(Qt::Key_F8), this);
  step_key->setContext(Qt::WindowShortcut);
  connect(step_key, &QShortcut::activated, this, [this] {
    if (run_button_->isEnabled()) RunProgram();
  });
}

void MainWindow::SetSpeed(RunSpeed speed) {
  speed_ = speed;
  Settings().setValue(QString::fromUtf8(kSpeedSettingsKey), Text(RunSpeedRowOf(speed).key));
  if (auto* action = menuBar()->findChild<QAction*>(SpeedActionName(speed))) action->setChecked(true);
  // A run waiting for its next line goes on at the new speed.
  if (waiting_for_step_ && speed != RunSpeed::kStepByStep) GrantStep();
}

void MainWindow::RunLineReached(std::int32_t line) {
  running_line_ = line;
  commands_in_line_ = 0;
  // Lines without turtle commands give the window its turn too, so a loop of
  // "inc" lines can be stopped like any other run.
  if (event_budget_.Due()) DeliverEvents();
  if (speed_ == RunSpeed::kFastest || !session_.runner.RunEnabled()) return;
  HighlightLine(line);
  if (speed_ == RunSpeed::kStepByStep) {
    WaitForStep();
  } else {
    WaitFor(RunSpeedRowOf(speed_).command_wait_ms);
  }
}

void MainWindow::PaceCommand() {
  // The first command of a line already waited with its line; command-box lines
  // typed during a run (a deeper handler) are never slowed.
  if (speed_ == RunSpeed::kFastest || speed_ == RunSpeed::kStepByStep) return;
  if (run_handler_depth_ == 0 || handler_depth_ != run_handler_depth_) return;
  if (commands_in_line_++ == 0) return;
  WaitFor(RunSpeedRowOf(speed_).command_wait_ms);
}

void MainWindow::WaitFor(int milliseconds) {
  if (milliseconds <= 0) return;
  drawing_area_->FlushDirty();  // what was drawn so far shows during the pause
  refresh_clock_.restart();
  QEventLoop loop;
  wait_loop_ = &loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
  wait_loop_ = nullptr;
  event_budget_.Delivered();
}

void MainWindow::WaitForStep() {
  drawing_area_->FlushDirty();
  refresh_clock_.restart();
  // While the run waits, 実行 (and F8) runs the next line; 中断 ends the run.
  waiting_for_step_ = true;
  step_granted_ = false;
  run_button_->setEnabled(true);
  QEventLoop loop;
  wait_loop_ = &loop;
  while (!step_granted_ && session_.runner.RunEnabled() && !close_granted_ && speed_ == RunSpeed::kStepByStep) {
    loop.exec();
  }
  wait_loop_ = nullptr;
  waiting_for_step_ = false;
  if (session_.runner.RunEnabled()) run_button_->setEnabled(false);
  event_budget_.Delivered();
}

void MainWindow::GrantStep() {
  step_granted_ = true;
  EndWait();
}

void MainWindow::EndWait() {
  if (wait_loop_ != nullptr) wait_loop_->quit();
}

void MainWindow::HighlightLine(std::optional<std::int32_t> line) {
  QList<QTextEdit::ExtraSelection> selections;
  if (line) {
    QTextEdit::ExtraSelection running;
    running.format.setBackground(kRunningLineColor);
    running.format.setProperty(QTextFormat::FullWidthSelection, true);
    running.cursor = QTextCursor(editor_->document()->findBlockByNumber(*line));
    selections.append(running);
    editor_->setTextCursor(running.cursor);  // scrolls the running line into view
  }
  editor_->setExtraSelections(selections);
}

void MainWindow::ShowLine(std::int32_t line) {
  const QTextBlock block = editor_->document()->findBlockByNumber(line);
  if (!block.isValid()) return;
  QTextCursor cursor(block);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  editor_->setTextCursor(cursor);
  editor_->ensureCursorVisible();
  editor_->setFocus();
}

}  // namespace kurovel
