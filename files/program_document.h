#pragma once
// The rules that tie the editor to the program file: the current file name, the
// window caption and the editor's modified flag. The main window copies its
// editor's text and flag in and out around these calls.

#include <QString>
#include <string_view>

#include "engine/version.h"
#include "files/program_file.h"

namespace kurovel {

// The editor's text ("\n" between lines) and its modified flag, with the lines of
// the program file last read or written, which saving reuses for unchanged lines.
struct EditorContent {
  QString text;
  bool modified = false;
  SourceLines source;
};

// Loaded text into the editor: it replaces the text and clears the flag, unless the
// editor already holds exactly that text, which leaves both as they are.
void ApplyLoadedText(EditorContent& editor, const QString& loaded_text);

// Open, drop, command line: reads path into the editor, then path becomes the
// current file name; returns how the file was read. A failure (KurovelError)
// changes neither.
// progress hears how far the reading has got and may cancel it.
TextEncoding LoadIntoEditor(const QString& path, EditorContent& editor, QString& current_file_name,
                            const ProgressHook& progress = {});

// Save, with the current name or one chosen in the dialog: writes the editor's
// text, then clears the flag and path becomes the current file name. A failure
// (KurovelError) changes neither.
// progress hears how far the conversion has got and may cancel it.
void SaveFromEditor(const QString& path, EditorContent& editor, QString& current_file_name,
                    const ProgressHook& progress = {});

// New program: empty editor, flag clear, no current file.
void EmptyEditor(EditorContent& editor, QString& current_file_name);

}  // namespace kurovel
