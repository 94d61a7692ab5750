#pragma once
// Puts a text into the program editor. The new document is built away from the
// editor, in steps that report progress, and replaces the editor's only once it
// is complete; the previous one is freed then. A cancel (OperationCancelled from
// the hook) or a failed allocation leaves the editor's document, text, caret,
// scroll position and undo history as they were, and frees what was built.

#include <cstddef>
#include <string_view>

#include "files/file_progress_hook.h"

namespace kurovel {

class ProgramEditor;

// Bytes added to the new document between two progress reports.
inline constexpr std::size_t kFillStepBytes = std::size_t{1} << 19;

// text: UTF-8, "\n" between lines; progress hears how many bytes are in. The
// editor shows the new text from its start, with nothing to undo and unmodified.
void FillEditor(ProgramEditor& editor, std::string_view text, const ProgressHook& progress = {});

}  // namespace kurovel
