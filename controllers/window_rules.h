#pragma once
// The main window's small decisions that the desktop window and the browser page
// share: the caption, which names are program files, what a drop of files asks
// for. Plain C++ on UTF-8 text, so both front ends call the same rules.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace kurovel {

// TitleText alone, or TitleText, a blank and the file name while a program file is shown.
std::string WindowCaption(std::string_view file_name);

// A command-line argument names the program to open at start when it holds "KV"
// or "kv" anywhere (case-sensitive: "Kv" and "kV" do not count).
bool NamesProgramAtStart(std::string_view argument);

// A file is a program when its extension (from the last "." after the last "/")
// is ".kv" in any ASCII letter case.
bool IsProgramFileName(std::string_view path);

// What dropping files on the window asks for.
enum class DropRequest {
  kNothing,      // no file, or one that is not a program: ignored
  kOpenProgram,  // one program file: open it (asking first when the editor is modified)
  kOneFileOnly,  // several files: say that one file is dropped at a time
};
DropRequest DropRequestFor(std::span<const std::string> paths);

}  // namespace kurovel
