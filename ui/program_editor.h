#pragma once
// The program editor ("Memo1"), a Scintilla text component: its document keeps a
// program as UTF-8 in one buffer with a table of line starts, about 20 bytes a
// line, so that a program of ten million lines loads in seconds and in a few
// hundred megabytes, and a key, a resize or a scroll costs the same as in a
// program of ten lines. Its keys are those of Qt's own text editors (the
// platform's standard keys), Tab moves on to the next control, the running line
// is lit across the whole width.
//
// Documents are replaced through Scintilla's document pointer (editor_fill.cpp);
// QsciScintilla's own document handle (document(), setDocument()) is never used,
// as it would not know of them.

#include <Qsci/qsciscintilla.h>

#include <cstdint>
#include <optional>
#include <string>

namespace kurovel {

class ProgramEditor : public QsciScintilla {
 public:
  explicit ProgramEditor(QWidget* parent = nullptr);

  // The program as the rest of the window takes it: UTF-8, "\n" between lines,
  // a no-break space read as a space and a line or paragraph separator as a line
  // break, as Qt's own editors give their text.
  std::string Utf8Text();

  // Sets what a document carries itself (code page, line ends) on the one shown.
  void ConfigureDocument();

  // The font of the text. Scintilla sizes fonts in points: one given in pixels
  // keeps its size in pixels on this screen.
  void SetTextFont(const QFont& font);

  // Lights the running line (from 0) and scrolls it into view; none: no line lit.
  void LightLine(std::optional<std::int32_t> line);
  std::optional<std::int32_t> LitLine() const;
  // Selects a line (from 0) without its line break, scrolled into view.
  void SelectLine(std::int32_t line);

  // Whether the document has left its save point, asked of the document itself:
  // isModified() follows the save point's notification, which comes after the
  // change when an undo or redo leaves it.
  bool DocumentModified() const;

  // An input method is composing: the composition is shown in the document,
  // but it is no change of the user's until it is committed. When a composition
  // ends, textChanged follows (the commit may have changed the text).
  bool Composing() const { return composing_; }

 protected:
  bool focusNextPrevChild(bool next) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

 private:
  void UseStandardKeys();

  int running_marker_ = -1;
  std::optional<std::int32_t> lit_line_;  // where the running line was lit
  bool composing_ = false;
};

}  // namespace kurovel
