#include "files/program_document.h"

#include <utility>

namespace kurovel {

void ApplyLoadedText(EditorContent& editor, const QString& loaded_text) {
  // Setting a text equal to the editor's is no change at all, so the flag survives.
  if (editor.text == loaded_text) return;
  editor.text = loaded_text;
  editor.modified = false;
}

TextEncoding LoadIntoEditor(const QString& path, EditorContent& editor, QString& current_file_name,
                            const ProgressHook& progress) {
  SourceLines source;
  TextEncoding encoding = TextEncoding::kShiftJis;
  ApplyLoadedText(editor, LoadProgramFile(path, &source, &encoding, progress));
  editor.source = std::move(source);
  current_file_name = path;
  return encoding;
}

void SaveFromEditor(const QString& path, EditorContent& editor, QString& current_file_name,
                    const ProgressHook& progress) {
  SaveProgramFile(path, editor.text, &editor.source, progress);
  editor.modified = false;
  current_file_name = path;
}

void EmptyEditor(EditorContent& editor, QString& current_file_name) {
  current_file_name.clear();
  editor.text.clear();
  editor.modified = false;
  editor.source = SourceLines();
}

}  // namespace kurovel
