// The desktop program running a program with the drawing visible: pending events
// are delivered on a time budget and the drawing area is refreshed at the display
// rate. A run is timed as the user sees it, from the click on Run until Run is
// enabled again; items per second are commands (or lines) per second. Also: a
// loop of "inc" lines, and how soon Stop ends such a loop.
// Run it offscreen or under an X server (QT_QPA_PLATFORM), with Qt's GLib event
// dispatcher or its own (QT_NO_GLIB=1).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "ui/main_window.h"
#include "ui/program_editor.h"

namespace {

// Counts the drawing area's paint events: the frames the user saw during a run.
class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  std::int64_t paints = 0;
};

kurovel::MainWindow*& Form() {
  static kurovel::MainWindow* form = nullptr;
  return form;
}

// When the watched button was last enabled, on the clock started at the click.
class EnabledAgain : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::EnabledChange && static_cast<QWidget*>(watched)->isEnabled()) {
      seconds = static_cast<double>(since_click.nsecsElapsed()) / 1e9;
    }
    return false;
  }
  QElapsedTimer since_click;
  double seconds = 0;
};

void RunProgram(benchmark::State& state, const char* program, std::int64_t commands_per_run) {
  kurovel::MainWindow& form = *Form();
  form.findChild<kurovel::ProgramEditor*>(QStringLiteral("Memo1"))->setText(QString::fromUtf8(program));
  PaintCounter counter;
  form.findChild<QWidget*>(QStringLiteral("PaintBox1"))->installEventFilter(&counter);
  auto* run = form.findChild<QPushButton*>(QStringLiteral("Button6"));
  EnabledAgain enabled_again;
  run->installEventFilter(&enabled_again);
  for (auto _ : state) {
    enabled_again.seconds = 0;
    enabled_again.since_click.start();
    run->click();  // returns when the run is over
    if (enabled_again.seconds == 0) {
      state.SkipWithError("Run was not enabled again after the run");
      break;
    }
    state.SetIterationTime(enabled_again.seconds);
  }
  run->removeEventFilter(&enabled_again);
  state.SetItemsProcessed(state.iterations() * commands_per_run);
  state.counters["frames"] = benchmark::Counter(static_cast<double>(counter.paints), benchmark::Counter::kIsRate);
}

// W3 of bench/peers: 'repeat 100000' / 'fd 1' / 'rt 1' / "next", 200,000 commands.
// The goal: 3 M commands per second or more (at most 67 ms a run).
void BM_DesktopRunFdRt(benchmark::State& state) { RunProgram(state, "repeat 100000\nfd 1\nrt 1\nnext", 200000); }
BENCHMARK(BM_DesktopRunFdRt)->Unit(benchmark::kMillisecond)->UseManualTime();

// Longer lines across the area: the refreshed region is larger.
void BM_DesktopRunStar(benchmark::State& state) { RunProgram(state, "repeat 20000\nfd 150\nrt 144\nnext", 40000); }
BENCHMARK(BM_DesktopRunStar)->Unit(benchmark::kMillisecond)->UseManualTime();

// No turtle command at all: the window still gets its turn between lines.
void BM_DesktopRunIncLoop(benchmark::State& state) {
  RunProgram(state, "repeat 1000000\ninc var1 1\nnext", 1000000);
}
BENCHMARK(BM_DesktopRunIncLoop)->Unit(benchmark::kMillisecond)->UseManualTime();

// From the moment Stop is clicked during an endless "inc" loop to the run's end.
void BM_DesktopStopDuringIncLoop(benchmark::State& state) {
  kurovel::MainWindow& form = *Form();
  form.findChild<kurovel::ProgramEditor*>(QStringLiteral("Memo1"))->setText(
      QStringLiteral("repeat 2000000000\ninc var1 1\nnext"));
  auto* stop = form.findChild<QPushButton*>(QStringLiteral("Button7"));
  double worst_ms = 0;
  for (auto _ : state) {
    QElapsedTimer since_stop;
    QTimer::singleShot(20, &form, [&] {
      since_stop.start();
      stop->click();
    });
    form.RunProgram();
    const double ms = static_cast<double>(since_stop.nsecsElapsed()) / 1e6;
    state.SetIterationTime(ms / 1000.0);
    worst_ms = std::max(worst_ms, ms);
  }
  state.counters["worst_ms"] = worst_ms;
}
BENCHMARK(BM_DesktopStopDuringIncLoop)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  auto form = std::make_unique<kurovel::MainWindow>(QStringList());
  form->show();
  for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
  Form() = form.get();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
