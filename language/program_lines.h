#pragma once
// Cuts a program file's bytes into lines: the one rule that the editor's loader
// and kurovel-run share, so both see the same lines.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "language/line_buffer.h"

namespace kurovel {

// Everything from the first NUL on is dropped. CR LF, a lone CR and a lone LF each
// end a line, but never the second byte of a double-byte character. The text
// after the last line break is a line too, even when empty: "a\n" gives "a" and "".
std::vector<std::string_view> SplitFileLines(std::string_view bytes);
// The same lines, handed to visit one by one without a list of them all.
void ForEachFileLine(std::string_view bytes, const std::function<void(std::string_view)>& visit);

// The lines that run: those of SplitFileLines without the empty line after a
// final line break (so the empty text has none), each cut to its first
// kMaxLineBytes bytes.
LineBuffer ProgramLines(std::string_view bytes);

}  // namespace kurovel
