#pragma once
// The help window: a version page, the command list, nine exercises and
// two sample programs on four tabs. The program creates it hidden at start and
// keeps it until the process ends; hiding it keeps its selected tab and whatever
// the user typed into its boxes.
//
// The main window's "使い方" button and its "使い方など" menu item do nothing
// but call ShowHelp().

#include <QWidget>

class QPlainTextEdit;
class QShowEvent;
class QTabWidget;

namespace kurovel {

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  // Top-level (a window of its own even when given a parent) and hidden.
  explicit HelpWindow(QWidget* parent = nullptr);

  // Makes the window visible and brings it to the front, on the tab selected
  // last. Modeless: the main window stays usable.
  void ShowHelp();

  // "とじる": hides the window. The window's own close box does the same.
  void CloseHelp();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildVersionPage(QWidget* page);

  // Controls keep the names of the window layout as object names; the Qt parent
  // tree owns them.
  QTabWidget* tabs_ = nullptr;
  bool shown_before_ = false;
};

}  // namespace kurovel
