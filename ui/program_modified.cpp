#include "ui/program_modified.h"

#include <QPlainTextEdit>
#include <QTextDocument>
#include <utility>

namespace kurovel {

ProgramModifiedFlag::ProgramModifiedFlag(QPlainTextEdit* editor)
    : QObject(editor), editor_(editor), last_text_(editor->toPlainText()) {
  connect(editor->document(), &QTextDocument::contentsChanged, this, &ProgramModifiedFlag::NoteContents);
}

void ProgramModifiedFlag::Set(bool set) {
  set_ = set;
  last_text_ = editor_->toPlainText();
}

void ProgramModifiedFlag::NoteContents() {
  // The document also reports changes that leave the text as it was (an input
  // method's composition, formats); only a different text counts.
  QString text = editor_->toPlainText();
  if (text == last_text_) return;
  last_text_ = std::move(text);
  set_ = true;
}

}  // namespace kurovel
