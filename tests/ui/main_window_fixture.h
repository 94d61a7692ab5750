#pragma once
// What the main window's test suites share: a window started as the program
// starts it, and its controls found by their object names.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <memory>

#include "ui/main_window.h"
#include "ui/program_editor.h"

namespace kurovel::testing {

inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class MainWindowFixture : public ::testing::Test {
 protected:
  // The window with these command-line arguments, shown, active and settled.
  void Start(const QStringList& arguments = {}) {
    form_ = std::make_unique<MainWindow>(arguments);
    form_->show();
    QApplication::setActiveWindow(form_.get());
    Settle();
  }
  static void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }
  template <typename T>
  T* Find(const char* name) const {
    T* found = form_->findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  ProgramEditor* Editor() const { return Find<ProgramEditor>("Memo1"); }
  void Trigger(const char* action) const { Find<QAction>(action)->trigger(); }

  std::unique_ptr<MainWindow> form_;
};

}  // namespace kurovel::testing
