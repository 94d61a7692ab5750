// The run's view in the main window: the speed menu and the step key, the Run
// and Stop buttons, the window's turns and pauses during a run (its own event
// loop runs inside them), the running line lit and the failed line selected.

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QTimer>
#include <utility>

#include "controllers/window_texts.h"
#include "ui/drawing_area.h"
#include "ui/main_window.h"
#include "ui/program_editor.h"

namespace kurovel {

namespace {

constexpr const char* kSpeedSettingsKey = "speed";
// The drawing area is refreshed at most this often during a run (about 60 a second).
constexpr qint64 kRefreshIntervalMs = 16;

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

void MainWindow::BuildSpeedMenu() {
  QMenu* menu = menuBar()->addMenu(QString::fromUtf8(kSpeedMenuCaption));
  menu->setObjectName(QStringLiteral("SpeedMenu"));
  menu->menuAction()->setObjectName(QStringLiteral("SpeedMenu"));
  auto* group = new QActionGroup(menu);
  group->setExclusive(true);
  for (const RunSpeedRow& row : kRunSpeeds) {
    QAction* action = menu->addAction(Text(row.caption));
    action->setObjectName(SpeedActionName(row.speed));
    action->setCheckable(true);
    group->addAction(action);
    const RunSpeed speed = row.speed;
    connect(action, &QAction::triggered, this, [this, speed] { window_.run.SetSpeed(speed); });
  }
  window_.run.SetSpeed(RememberedSpeed());
  // F8 anywhere in the window: the next line when stepping, else 実行.
  auto* step_key = new QShortcut(QKeySequence(Qt::Key_F8), this);
  step_key->setContext(Qt::WindowShortcut);
  connect(step_key, &QShortcut::activated, this, &MainWindow::PressStepKey);
}

std::string MainWindow::EditorText() { return editor_->Utf8Text(); }

void MainWindow::ShowRunButtons(bool run_enabled, bool stop_enabled) {
  run_button_->setEnabled(run_enabled);
  stop_button_->setEnabled(stop_enabled);
}

void MainWindow::GiveTurn() {
  if (refresh_clock_.hasExpired(kRefreshIntervalMs)) {
    drawing_area_->FlushDirty();  // delivered by the event processing below
    refresh_clock_.restart();
  }
  QCoreApplication::processEvents();
}

void MainWindow::Pause(int milliseconds) { RunEventLoop(milliseconds); }

void MainWindow::WaitUntilWoken() { RunEventLoop(0); }

void MainWindow::RunEventLoop(int milliseconds) {
  drawing_area_->FlushDirty();  // what was drawn so far shows during the wait
  refresh_clock_.restart();
  QEventLoop loop;
  // A run started inside this wait waits in a loop of its own; this one goes on after it.
  QEventLoop* const outer = std::exchange(wait_loop_, &loop);
  if (milliseconds > 0) QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
  wait_loop_ = outer;
}

void MainWindow::Wake() {
  if (wait_loop_ != nullptr) wait_loop_->quit();
}

void MainWindow::LightLine(std::optional<std::int32_t> line) { editor_->LightLine(line); }

void MainWindow::SelectLine(std::int32_t line) { editor_->SelectLine(line); }

void MainWindow::ShowMessage(MessageKind kind, std::string_view caption, std::string_view text) {
  ShowBox(kind, caption, text);
}

void MainWindow::ShowSpeed(RunSpeed speed) {
  Settings().setValue(QString::fromUtf8(kSpeedSettingsKey), Text(RunSpeedRowOf(speed).key));
  if (auto* action = menuBar()->findChild<QAction*>(SpeedActionName(speed))) action->setChecked(true);
}

}  // namespace kurovel
