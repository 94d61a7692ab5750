#pragma once
// The program editor: a QPlainTextEdit whose lines never wrap. Qt lays out every
// line of the document again whenever the editor's width changes, which costs
// seconds and a layout object a line in a program of millions of lines; lines that
// never wrap do not depend on the width, so such a program skips that step.

#include <QPlainTextEdit>

namespace kurovel {

// A document of more lines than this is never laid out as a whole: the editor
// keeps its line layouts when the width changes, and a load that does not
// complete types it in again instead of giving it back to the editor. Shorter
// ones are handled as Qt does, which costs them nothing noticeable.
inline constexpr int kFullLayoutLineLimit = 100'000;

class ProgramEditor : public QPlainTextEdit {
 public:
  explicit ProgramEditor(QWidget* parent = nullptr);

 protected:
  void resizeEvent(QResizeEvent* event) override;
};

}  // namespace kurovel
