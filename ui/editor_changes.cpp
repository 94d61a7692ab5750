#include "ui/editor_changes.h"

#include <utility>

#include "ui/program_editor.h"

namespace kurovel {

EditorChangeWatcher::EditorChangeWatcher(ProgramEditor* editor, std::function<bool()> modified,
                                         std::function<void()> changed)
    : QObject(editor), editor_(editor), modified_(std::move(modified)), changed_(std::move(changed)) {
  connect(editor, &ProgramEditor::textChanged, this, &EditorChangeWatcher::NoteContents);
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
  if (!modified_() && !editor_->Composing()) editor_->setModified(false);
}

void EditorChangeWatcher::NoteContents() {
  // A text put in by the window, a composition, or a program already changed: nothing new.
  if (setting_ || editor_->Composing() || modified_() || !editor_->DocumentModified()) return;
  changed_();
}

}  // namespace kurovel
