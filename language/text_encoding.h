#pragma once
// The encoding of a program file written by another editor, and its conversion to
// the Shift-JIS (CP932) text that the language keeps.

#include <string>
#include <string_view>

namespace kurovel {

enum class TextEncoding { kShiftJis, kUtf8, kUtf16Le, kUtf16Be };

// "shift_jis", "utf-8", "utf-16le" or "utf-16be".
std::string_view EncodingName(TextEncoding encoding);

// A byte order mark decides; without one, text that is valid UTF-8 and holds at
// least one multi-byte sequence is UTF-8; anything else is Shift-JIS.
TextEncoding DetectEncoding(std::string_view bytes);

// Where the text ends: at its first NUL character (a zero byte, or a zero code unit
// after a UTF-16 byte order mark); npos when it holds none. The search starts near
// `from`, so that a reader can look at each new chunk only.
std::size_t FirstNulCharacter(std::string_view bytes, std::size_t from = 0);

// UTF-8 or UTF-16 text as UTF-8 without its byte order mark; a lone surrogate
// becomes "?". Shift-JIS bytes are returned as they are.
std::string UnicodeToUtf8(std::string_view bytes, TextEncoding encoding);

// The program's CP932 bytes: Shift-JIS as it is; UTF-8 and UTF-16 converted, each
// character CP932 cannot hold (or invalid UTF-8 sequence) becoming "?".
std::string ToCp932Program(std::string_view bytes, TextEncoding encoding);

}  // namespace kurovel
