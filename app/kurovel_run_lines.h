#pragma once
// Cuts a program's bytes into lines the way the editor receives a program file.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kurovel {

// Only the first bytes of a longer line belong to the program.
inline constexpr std::size_t kMaxLineBytes = 4096;

// Everything from the first NUL on is dropped. CR LF, a lone CR and a lone LF each
// end a line, but never the second byte of a double-byte character; a text that
// ends with a line break has no empty line after it, and the empty text has no
// lines. Each line is cut to its first kMaxLineBytes bytes.
std::vector<std::string> SplitProgramLines(std::string_view bytes);

}  // namespace kurovel
