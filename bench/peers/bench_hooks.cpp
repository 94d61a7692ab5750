#include "bench/peers/bench_hooks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPushButton>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "ui/main_window.h"

namespace kurovel {

namespace {

enum class Mode { kOnce, kHold, kLoop };

std::optional<Mode> ModeFromEnvironment() {
  struct Name {
    const char* text;
    Mode mode;
  };
  static const Name kNames[] = {{"once", Mode::kOnce}, {"hold", Mode::kHold}, {"loop", Mode::kLoop}};
  const char* value = std::getenv("KUROVEL_BENCH_RUN");
  if (value == nullptr) return std::nullopt;
  for (const Name& name : kNames) {
    if (std::strcmp(value, name.text) == 0) return name.mode;
  }
  return std::nullopt;
}

// Owned by the main window through Qt's parent tree.
class BenchDriver : public QObject {
 public:
  BenchDriver(MainWindow& form, Mode mode)
      : QObject(&form),
        mode_(mode),
        paint_box_(form.findChild<QWidget*>(QStringLiteral("PaintBox1"))),
        run_button_(form.findChild<QPushButton*>(QStringLiteral("Button6"))) {
    paint_box_->installEventFilter(this);
    // Connected after the window's own handler, so this runs once the run is over.
    connect(run_button_, &QPushButton::clicked, this, [this] { RunFinished(); });
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    // The first paint comes after the start-up layout and the first clear: a run
    // started now is not wiped by them.
    if (watched == paint_box_ && event->type() == QEvent::Paint && !started_) {
      started_ = true;
      ClickRun();
    }
    return false;
  }

 private:
  void ClickRun() {
    // Queued, so the paint in progress and the events before it are delivered first.
    QMetaObject::invokeMethod(
        run_button_,
        [this] {
          clock_.start();
          run_button_->click();
        },
        Qt::QueuedConnection);
  }

  void RunFinished() {
    paint_box_->repaint();  // the last frame, now rather than at the next refresh
    std::printf("run %lld %lld\n", ++runs_, static_cast<long long>(clock_.elapsed()));
    switch (mode_) {
      case Mode::kOnce:
        std::fflush(stdout);
        QCoreApplication::quit();
        break;
      case Mode::kHold:
        std::puts("done");
        std::fflush(stdout);
        break;
      case Mode::kLoop:
        std::fflush(stdout);
        ClickRun();
        break;
    }
  }

  Mode mode_;
  QWidget* paint_box_;
  QPushButton* run_button_;
  bool started_ = false;
  long long runs_ = 0;
  QElapsedTimer clock_;
};

}  // namespace

void InstallBenchHooks(MainWindow& form) {
  if (const std::optional<Mode> mode = ModeFromEnvironment()) new BenchDriver(form, *mode);
}

}  // namespace kurovel
