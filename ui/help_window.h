#pragma once
// The help window: a version page, the command list, nine exercises and
// two sample programs on four tabs. The program creates it hidden at start and
// keeps it until the process ends; hiding it keeps its selected tab and whatever
// the user typed into its boxes.
//
// The main window's "使い方" button and its "使い方など" menu item do nothing
// but call ShowHelp().

#include <QRect>
#include <QWidget>

#include <functional>
#include <span>
#include <string_view>

#include "controllers/exercise_verdicts.h"

class QLabel;
class QPlainTextEdit;
class QShowEvent;
class QTabWidget;

namespace kurovel {

// A label of the version page, at its designed place and pixel height.
struct HelpLabel {
  const char* name;  // object name
  QRect geometry;    // within the tab; the label grows with its text
  int font_pixels;
  const char* text;  // UTF-8
};
std::span<const HelpLabel> HelpVersionLabels();

// A tab after the version page, in tab order: one text box that starts with
// lines() joined by line breaks.
struct HelpTextPage {
  const char* tab_name;   // object name of the page
  const char* caption;    // UTF-8
  const char* memo_name;  // object name of the text box
  std::span<const std::string_view> (*lines)();
  QRect geometry;  // within the tab; a null rectangle fills the tab
};
std::span<const HelpTextPage> HelpTextPages();

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

  // 答え合わせ on the exercise tab: the verdict on the current drawing for the
  // exercise on the selected line of the list (UTF-8), shown beside the list.
  using AnswerCheck = std::function<ExerciseVerdict(std::string_view selected_line)>;
  void SetAnswerCheck(AnswerCheck check) { answer_check_ = std::move(check); }
  void CheckAnswer();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildVersionPage(QWidget* page);
  void BuildAnswerCheck(QWidget* page, QPlainTextEdit* exercises);
  void MarkSelectedExercise();

  // Controls keep the names of the window layout as object names, after "Form2."
  // so that none repeats a name of the main window; the Qt parent tree owns them.
  QTabWidget* tabs_ = nullptr;
  QPlainTextEdit* exercises_ = nullptr;
  QLabel* verdict_ = nullptr;
  AnswerCheck answer_check_;
  bool shown_before_ = false;
};

}  // namespace kurovel
