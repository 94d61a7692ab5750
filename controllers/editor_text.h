#pragma once
// The editor's and the command box's Unicode text as the language takes it: CP932
// lines, each character CP932 cannot hold becoming "?".

#include <cstdint>
#include <string>
#include <string_view>

#include "language/line_buffer.h"

namespace kurovel {

// The editor's lines ("\n" between them; a "\r" before it is dropped). A final
// line break ends the last line; it does not start another one.
LineBuffer EditorLinesCp932(std::string_view text_utf8);

// One line of the command box.
std::string TypedLineCp932(std::string_view text_utf8);

// CP932 lines as a list shows them: UTF-8, "\n" between them, and a last line
// that tells how many more were left out (the trace keeps only its first lines).
std::string ListTextUtf8(const LineBuffer& lines, std::uint64_t omitted = 0);

}  // namespace kurovel
