#include "ui/editor_changes.h"

#include <QPlainTextEdit>
#include <QTextDocument>
#include <utility>

namespace kurovel {

EditorChangeWatcher::EditorChangeWatcher(QPlainTextEdit* editor, std::function<bool()> modified,
                                         std::function<void()> changed)
    : QObject(editor), editor_(editor), modified_(std::move(modified)), changed_(std::move(changed)) {
  // The editor's signal, not its document's: a loaded program comes in a new document.
  connect(editor, &QPlainTextEdit::textChanged, this, &EditorChangeWatcher::NoteContents);
  Rebase();
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
  if (!modified_()) editor_->document()->setModified(false);
}

void EditorChangeWatcher::NoteContents() {
  // A composition, a text put in by the window or a program already changed: nothing new.
  if (setting_ || modified_() || !editor_->document()->isModified()) return;
  changed_();
}

}  // namespace kurovel
