#pragma once
// The editor's and the command box's Unicode text as the language takes it: CP932
// lines, each character CP932 cannot hold becoming "?".

#include <string>
#include <string_view>

#include "language/line_buffer.h"

namespace kurovel {

// The editor's lines ("\n" between them; a "\r" before it is dropped). A final
// line break ends the last line; it does not start another one.
LineBuffer EditorLinesCp932(std::string_view text_utf8);

// One line of the command box.
std::string TypedLineCp932(std::string_view text_utf8);

}  // namespace kurovel
