#pragma once
// Puts a text into the program editor. The editor gets a new, empty document at
// once and the text is typed into it in steps, reporting progress; the previous
// document is deleted once the new one is complete. A cancel (OperationCancelled
// from the hook) or a failed allocation gives the editor its previous program
// back with its caret, selection, lit line and scroll position: the document
// itself with its undo history, or, for a program of more than
// kFullLayoutLineLimit lines, the same text typed in again without its history.
// Such a program is kept only as its text while the new one loads, so that two
// long programs never take memory at the same time.
//
// Why the new document is shown while still empty: the editor lays out every
// line of a document it is given (a layout object a line, about 320 bytes), but
// only the lines it shows of a document that grows while shown.

#include <cstddef>
#include <string_view>

#include "files/file_progress_hook.h"

class QPlainTextEdit;

namespace kurovel {

// Bytes typed into the new document between two progress reports.
inline constexpr std::size_t kFillStepBytes = std::size_t{1} << 19;

// text: UTF-8, "\n" between lines; progress hears how many bytes are in.
void FillEditor(QPlainTextEdit& editor, std::string_view text, const ProgressHook& progress = {});

}  // namespace kurovel
