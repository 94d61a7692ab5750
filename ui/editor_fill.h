#pragma once
// Puts a text into the program editor. A long text is typed into a new document in
// steps, reporting progress, and that document replaces the editor's only once it
// is complete: a cancel (OperationCancelled from the hook) or a failed allocation
// leaves the editor's text, caret and undo history as they were.

#include <QString>

#include "files/file_progress_hook.h"

class QPlainTextEdit;

namespace kurovel {

void FillEditor(QPlainTextEdit& editor, const QString& text, const ProgressHook& progress = {});

}  // namespace kurovel
