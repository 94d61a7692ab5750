// The desktop program running a program with the drawing visible: every command
// delivers pending events and the drawing area is refreshed at the display rate.
// Run it offscreen or under an X server (QT_QPA_PLATFORM), with Qt's GLib event
// dispatcher or its own (QT_NO_GLIB=1).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QPlainTextEdit>
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
