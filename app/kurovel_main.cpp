// kurovel, the desktop program: the main window with the drawing area, the
// command box and the program editor, and the hidden help window.

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>

#include "engine/version.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#ifdef KUROVEL_BENCH_HOOKS
#include "bench/peers/bench_hooks.h"
#endif

namespace {

constexpr const char* kUsage =
    "Usage: kurovel [PROGRAM.kv]\n"
    "Kurovel: draw with a turtle by writing commands in Japanese words or short mnemonics.\n"
    "\n"
    "  PROGRAM.kv   a program file (Shift-JIS text) to open in the editor at start;\n"
    "               taken when it is the only argument and its path holds \"kv\" or \"KV\"\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n"
    "\n"
    "Without a display, kurovel-run draws a program into a bitmap file.\n";

// Only as the sole argument, so that any other command line keeps its meaning.
bool HandleInformationOption(int argc, char** argv) {
  if (argc != 2) return false;
  if (std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return true;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("kurovel %.*s\n", static_cast<int>(kurovel::kVersion.size()), kurovel::kVersion.data());
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (HandleInformationOption(argc, argv)) return 0;
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QString::fromUtf8(kurovel::kApplicationTitle));
  kurovel::InstallJapaneseTranslations(app);
  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();  // the program's own name
  kurovel::MainWindow form(arguments);
  form.show();
#ifdef KUROVEL_BENCH_HOOKS
  kurovel::InstallBenchHooks(form);
#endif
  return QApplication::exec();
}
