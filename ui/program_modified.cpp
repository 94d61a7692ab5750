#include "ui/program_modified.h"

#include <QPlainTextEdit>
#include <QTextDocument>
#include <utility>

namespace kurovel {

ProgramModifiedFlag::ProgramModifiedFlag(QPlainTextEdit* editor)
    : QObject(editor), editor_(editor), last_text_(editor->toPlainText()) {
  // The editor's signal, not its document's: a loaded program comes in a new document.
  connect(editor, &QPlainTextEdit::textChanged, this, &ProgramModifiedFlag::NoteContents);
}

void ProgramModifiedFlag::Set(bool set) {
  set_ = set;
  // Only a clear flag needs the text to compare with.
  last_text_ = set ? QString() : editor_->toPlainText();
}

void ProgramModifiedFlag::NoteContents() {
  // Once set, the flag stays set until the window clears it: a keystroke in a
  // big program must not copy its whole text.
  if (set_) return;
  // The document also reports changes that leave the text as it was (an input
  // method's composition, formats); only a different text counts.
  QString text = editor_->toPlainText();
  if (text == last_text_) return;
  last_text_.clear();
  set_ = true;
}

}  // namespace kurovel
