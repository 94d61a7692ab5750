// The desktop program running a program with the drawing visible: pending events
// are delivered on a time budget and the drawing area is refreshed at the display
// rate. Also: a loop of "inc" lines, and how soon Stop ends such a loop.
// Run it offscreen or under an X server (QT_QPA_PLATFORM), with Qt's GLib event
// dispatcher or its own (QT_NO_GLIB=1).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "ui/main_window.h"

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

void RunProgram(benchmark::State& state, const char* program, std::int64_t commands_per_run) {
  kurovel::MainWindow& form = *Form();
  form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->setPlainText(QString::fromUtf8(program));
  PaintCounter counter;
  form.findChild<QWidget*>(QStringLiteral("PaintBox1"))->installEventFilter(&counter);
  for (auto _ : state) form.RunProgram();
  state.SetItemsProcessed(state.iterations() * commands_per_run);
  state.counters["frames"] = benchmark::Counter(static_cast<double>(counter.paints), benchmark::Counter::kIsRate);
}

// 'repeat 100000' / 'fd 1' / 'rt 1' / "next": 200,000 commands.
void BM_DesktopRunFdRt(benchmark::State& state) { RunProgram(state, "repeat 100000\nfd 1\nrt 1\nnext", 200000); }
BENCHMARK(BM_DesktopRunFdRt)->Unit(benchmark::kMillisecond)->UseRealTime();

// Longer lines across the area: the refreshed region is larger.
void BM_DesktopRunStar(benchmark::State& state) { RunProgram(state, "repeat 20000\nfd 150\nrt 144\nnext", 40000); }
BENCHMARK(BM_DesktopRunStar)->Unit(benchmark::kMillisecond)->UseRealTime();

// No turtle command at all: the window still gets its turn between lines.
void BM_DesktopRunIncLoop(benchmark::State& state) {
  RunProgram(state, "repeat 1000000\ninc var1 1\nnext", 1000000);
}
BENCHMARK(BM_DesktopRunIncLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

// From the moment Stop is clicked during an endless "inc" loop to the run's end.
void BM_DesktopStopDuringIncLoop(benchmark::State& state) {
  kurovel::MainWindow& form = *Form();
  form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->setPlainText(
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
