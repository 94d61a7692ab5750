// Opens the main window with a program file named on the command line, as the
// desktop program does, and prints on standard output what the user waits for:
//   shown_ms          the window on screen
//   loaded_ms         the file in the editor (from the start of the program)
//   first_key_ms      the first key typed after the load, handled and painted
//   first_width_ms    the first change of the window's width after it
//   type_ms           a key typed at the end of the editor, median and worst of a few
//   peak_mb           the peak resident memory after each load (VmHWM)
// With --loads N the same file is dropped on the window N-1 more times after
// that, the question about the changed program answered with OK, each load
// timed: the peak should stay where the first load left it.
// Memory is also measured around it by the calling script (/usr/bin/time -v).
// The editor is driven by key events only, so the tool builds against earlier
// versions of the window too (scripts/measure-big-files.sh compares them).

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "ui/main_window.h"

namespace {

constexpr int kKeys = 21;
constexpr qint64 kGiveUpMs = 900'000;
constexpr int kWidthStep = 40;

double Ms(const QElapsedTimer& clock) { return static_cast<double>(clock.nsecsElapsed()) / 1e6; }

// The peak resident memory of this process so far, in MB.
long PeakMb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6)) / 1024;
  }
  return -1;
}

void Press(QWidget& editor, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(&editor, &press);
}

// Sends one key to the editor at its caret and lets the window handle what follows.
double TypeKey(QWidget& editor) {
  QElapsedTimer clock;
  clock.start();
  Press(editor, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
  QCoreApplication::processEvents();
  return Ms(clock);
}

double TypeAtEnd(QWidget& editor) {
  QElapsedTimer clock;
  clock.start();
  Press(editor, Qt::Key_End, Qt::ControlModifier);
  TypeKey(editor);
  return Ms(clock);
}

double WidenWindow(QWidget& form) {
  QElapsedTimer clock;
  clock.start();
  form.resize(form.width() + kWidthStep, form.height());
  QCoreApplication::processEvents();
  return Ms(clock);
}

// What follows each load: the first key, then the first width change, then keys at the end.
void MeasureAfterLoad(QWidget& form, QWidget& editor) {
  editor.setFocus();
  std::printf("first_key_ms %.2f\n", TypeKey(editor));
  std::printf("first_width_ms %.2f\n", WidenWindow(form));
  std::vector<double> keys;
  for (int i = 0; i < kKeys; ++i) keys.push_back(TypeAtEnd(editor));
  std::sort(keys.begin(), keys.end());
  std::printf("type_ms median %.2f worst %.2f\n", keys[keys.size() / 2], keys.back());
}

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer clock;
  clock.start();
  QApplication app(argc, argv);
  int loads = 1;
  if (argc == 4 && std::string(argv[1]) == "--loads") loads = std::max(1, std::atoi(argv[2]));
  if (argc != 2 && argc != 4) {
    std::fputs("usage: kurovel-measure-open [--loads N] PROGRAM.kv\n", stderr);
    return 2;
  }
  const QString path = QString::fromLocal8Bit(argv[argc - 1]);
  kurovel::MainWindow form(QStringList{path});
  form.show();
  std::printf("shown_ms %.0f\n", Ms(clock));
  while (form.CurrentFileName() != path && clock.elapsed() < kGiveUpMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  if (form.CurrentFileName() != path) {
    std::puts("loaded_ms never");
    return 1;
  }
  std::printf("loaded_ms %.0f\n", Ms(clock));
  auto* editor = form.findChild<QWidget*>(QStringLiteral("Memo1"));
  std::printf("peak_mb load 1 %ld\n", PeakMb());
  MeasureAfterLoad(form, *editor);
  // Later loads: the typed keys changed the program, so the window asks first.
  QTimer answer_ok;
  QObject::connect(&answer_ok, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      if (QAbstractButton* ok = box->button(QMessageBox::Ok)) ok->click();
    }
  });
  answer_ok.start(20);
  for (int load = 2; load <= loads; ++load) {
    QElapsedTimer since_drop;
    since_drop.start();
    form.DropFiles({path});
    if (form.EditorModified()) {
      std::printf("load %d failed after %.0f ms (peak %ld MB)\n", load, Ms(since_drop), PeakMb());
      return 1;
    }
    std::printf("load %d ms %.0f\n", load, Ms(since_drop));
    std::printf("peak_mb load %d %ld\n", load, PeakMb());
    MeasureAfterLoad(form, *editor);
  }
  std::fflush(stdout);
  return 0;
}
