// kurovel-help-screens DIR: shows the editor's pop-up menu (with its "変数"
// sub-menu open) and each help tab on the real display and writes PNGs of them
// to DIR, so that a reviewer can see how the Japanese texts render.
// scripts/screenshots.sh runs it under Xvfb.

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QScreen>
#include <QTabWidget>
#include <QThread>

#include <cstdio>
#include <string>

#include "controllers/exercise_check.h"
#include "engine/limits.h"
#include "engine/raster_surface.h"
#include "language/program_lines.h"
#include "language/session.h"
#include "ui/help_window.h"
#include "ui/insertion_menu.h"

namespace {

// Lets the window system map, lay out and paint what was just shown.
void Settle(int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!deadline.hasExpired()) {
    QApplication::processEvents();
    QThread::msleep(10);
  }
}

bool SaveScreenRegion(const QRect& region, const QString& path) {
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, region.x(), region.y(), region.width(), region.height())
      .save(path);
}

int WriteScreenshots(const QString& dir) {
  if (!QDir().mkpath(dir)) return 1;
  bool ok = true;

  QPlainTextEdit editor;
  editor.setWindowTitle(QStringLiteral("PopupMenu1"));
  editor.setPlainText(QStringLiteral("くりかえし　３６\n前へ　１００\n右へ　１７０\nここまで"));
  editor.setGeometry(40, 40, 420, 300);
  auto* insertion = new kurovel::InsertionMenu(&editor, [](const std::string&) {});
  editor.show();
  Settle(500);
  QMenu* menu = insertion->PopupMenu1();
  menu->popup(editor.viewport()->mapToGlobal(QPoint(120, 60)));
  Settle(500);
  const QRect area = editor.frameGeometry().united(menu->geometry()).adjusted(-10, -10, 10, 10);
  ok &= SaveScreenRegion(area, dir + QStringLiteral("/popup-menu.png"));

  // Open the "変数" sub-menu as the keyboard would.
  menu->setActiveAction(menu->findChild<QAction*>(QStringLiteral("N16")));
  QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
  QApplication::sendEvent(menu, &right);
  Settle(500);
  const auto* variables = menu->findChild<QMenu*>(QStringLiteral("N16"));
  ok &= SaveScreenRegion(area.united(variables->geometry()).adjusted(0, 0, 10, 10),
                         dir + QStringLiteral("/popup-menu-variables.png"));
  menu->close();
  editor.hide();

  // 答え合わせ on a pentagon the turtle has drawn, for the exercise tab.
  kurovel::RasterSurface surface(kurovel::kDefaultSurfaceWidth, kurovel::kDefaultSurfaceHeight);
  kurovel::Session session(surface);
  session.StartAndRepaint();
  kurovel::HeadlessRunnerHost host(kurovel::ProgramLines("repeat 5\nfd 100\nrt 72\nnext"));
  session.runner.RunProgram(host);
  kurovel::HelpWindow help;
  help.SetAnswerCheck([&](std::string_view line) { return kurovel::CheckSelectedExercise(line, session.turtle); });
  help.ShowHelp();
  auto* exercises = help.findChild<QPlainTextEdit*>(QStringLiteral("Form2.Memo3"));
  exercises->setTextCursor(QTextCursor(exercises->document()->findBlockByNumber(3)));
  help.CheckAnswer();
  auto* tabs = help.findChild<QTabWidget*>(QStringLiteral("Form2.PageControl1"));
  for (int i = 0; i < tabs->count(); ++i) {
    tabs->setCurrentIndex(i);
    Settle(300);
    ok &= help.grab().save(dir + QStringLiteral("/help-tab%1.png").arg(i + 1));
  }
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: kurovel-help-screens DIR\n");
    return 2;
  }
  return WriteScreenshots(QString::fromLocal8Bit(argv[1]));
}
