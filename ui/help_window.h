#pragma once
// TForm2, the help window: a version page, the command list, nine exercises and
// two sample programs on four tabs. The program creates it hidden at start and
// keeps it until the process ends; hiding it keeps its selected tab and whatever
// the user typed into its boxes.
//
// The main window's Button5Click ("使い方") and K5Click ("使い方など") do nothing
// but call ShowHelp().

#include <QWidget>

class QPlainTextEdit;
class QShowEvent;
class QTabWidget;

namespace kurovel {

class TForm2 : public QWidget {
  Q_OBJECT

 public:
  // Top-level (a window of its own even when given a parent) and hidden.
  explicit TForm2(QWidget* parent = nullptr);

  // Makes the window visible and brings it to the front, on the tab selected
  // last. Modeless: the main window stays usable.
  void ShowHelp();

  // "とじる": hides the window. The window's own close box does the same.
  void Button1Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildVersionPage(QWidget* page);

  // Controls keep the names of the window layout as object names; the Qt parent
  // tree owns them.
  QTabWidget* PageControl1 = nullptr;
  bool shown_before_ = false;
};

}  // namespace kurovel
