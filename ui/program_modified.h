#pragma once
// The program's modified flag. Every change of the editor's text sets it, an
// undo or a redo included; only the window clears it (load, new program, save).
// QTextDocument's own flag follows the undo stack instead: undoing back to the
// saved text would clear it, and closing would no longer ask.

#include <QObject>
#include <QString>

class QPlainTextEdit;

namespace kurovel {

class ProgramModifiedFlag : public QObject {
 public:
  // Becomes the editor's child.
  explicit ProgramModifiedFlag(QPlainTextEdit* editor);

  bool IsSet() const { return set_; }
  // Called after the window has put a text into the editor (load, new, save):
  // that text, not a change of the user's, decides the flag.
  void Set(bool set);

 private:
  void NoteContents();

  QPlainTextEdit* editor_;
  QString last_text_;  // the text while the flag is clear
  bool set_ = false;
};

}  // namespace kurovel
