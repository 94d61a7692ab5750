// Opens the main window with a program file named on the command line, as the
// desktop program does, and prints on standard output how long the window took to
// appear, how long until the file was in the editor, and how long a key typed at
// the end of the editor takes to be handled (median and worst of a few keys).
// Memory is measured around it by the calling script (/usr/bin/time -v).

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "ui/main_window.h"

namespace {

constexpr int kKeys = 21;
constexpr qint64 kGiveUpMs = 900'000;

double Ms(const QElapsedTimer& clock) { return static_cast<double>(clock.nsecsElapsed()) / 1e6; }

// Types one key at the end of the editor and lets the window handle what follows.
double TypeAtEnd(QPlainTextEdit& editor) {
  QElapsedTimer clock;
  clock.start();
  editor.moveCursor(QTextCursor::End);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
  QApplication::sendEvent(&editor, &press);
  QCoreApplication::processEvents();
  return Ms(clock);
}

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer clock;
  clock.start();
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fputs("usage: kurovel-measure-open PROGRAM.kv\n", stderr);
    return 2;
  }
  const QString path = QString::fromLocal8Bit(argv[1]);
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
  auto* editor = form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
  editor->setFocus();
  std::vector<double> keys;
  for (int i = 0; i < kKeys; ++i) keys.push_back(TypeAtEnd(*editor));
  std::sort(keys.begin(), keys.end());
  std::printf("type_ms median %.2f worst %.2f\n", keys[keys.size() / 2], keys.back());
  std::printf("lines %d\n", editor->document()->blockCount());
  return 0;
}
