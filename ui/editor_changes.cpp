#include "ui/editor_changes.h"

#include <QPlainTextEdit>
#include <utility>

namespace kurovel {

EditorChangeWatcher::EditorChangeWatcher(QPlainTextEdit* editor, std::function<bool()> modified,
                                         std::function<void()> changed)
    : QObject(editor), editor_(editor), modified_(std::move(modified)), changed_(std::move(changed)),
      unchanged_text_(editor->toPlainText()) {
  // The editor's signal, not its document's: a loaded program comes in a new document.
  connect(editor, &QPlainTextEdit::textChanged, this, &EditorChangeWatcher::NoteContents);
}

void EditorChangeWatcher::SetText(const std::function<void()>& set_text) {
  setting_ = true;
  try {
    set_text();
  } catch (...) {
    setting_ = false;
    throw;
  }
  setting_ = false;
}

void EditorChangeWatcher::Rebase() {
  // Only a clear flag needs the text to compare with.
  unchanged_text_ = modified_() ? QString() : editor_->toPlainText();
}

void EditorChangeWatcher::NoteContents() {
  // Once the program counts as changed, a keystroke in a big program must not
  // copy its whole text.
  if (setting_ || modified_()) return;
  const QString text = editor_->toPlainText();
  if (text == unchanged_text_) return;
  unchanged_text_.clear();
  changed_();
}

}  // namespace kurovel
