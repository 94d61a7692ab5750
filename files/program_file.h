#pragma once
// Program files: Shift-JIS (CP932) text with CR LF between lines, moved to and from
// the editor's Unicode text, whose lines are separated by "\n".

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/limits.h"
#include "files/file_progress_hook.h"
#include "files/program_text.h"
#include "language/text_encoding.h"

namespace kurovel {

// The editor text of a file's bytes: the text up to the first NUL byte; each CR LF,
// lone CR and lone LF is one line break, the second byte of a double-byte
// character never; breaks become "\n". source, when given, receives the lines
// saving needs; progress hears how many bytes have been read.
QString ProgramTextFromBytes(std::string_view bytes, SourceLines* source = nullptr, const ProgressHook& progress = {});

// The file bytes of an editor text: lines converted to CP932 (or taken from source
// when unchanged) and joined by CR LF. Throws KurovelError naming the first
// character CP932 cannot hold and its line.
std::string ProgramBytesFromText(const QString& text, const SourceLines& source = {},
                                 const ProgressHook& progress = {});

// The editor text of a UTF-8 or UTF-16 file's bytes (byte order mark dropped): the
// text up to the first NUL character, each CR LF, lone CR and lone LF one "\n".
QString ProgramTextFromUnicode(std::string_view bytes, TextEncoding encoding);

// The first max_bytes + 1 bytes of a file (all of a smaller one), so that a caller
// can tell a file over its limit without reading it whole; nullopt when it cannot
// be opened or read (a folder, a missing file).
std::optional<std::string> ReadFileHead(const QString& path, std::int64_t max_bytes);

}  // namespace kurovel
