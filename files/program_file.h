#pragma once
// Program files: Shift-JIS (CP932) text with CR LF between lines, moved to and from
// the editor's Unicode text, whose lines are separated by "\n".

#include <QString>
#include <cstdint>
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

// Reads a program file into editor text; source, when given, receives its lines
// (none for a UTF-8 or UTF-16 file, whose every line is converted on saving), and
// encoding, when given, how the file was read (see DetectEncoding).
// Throws KurovelError with "ファイル %s は開けません" when it cannot be read and
// kTextTooLarge when it is larger than kMaxProgramFileBytes.
// progress hears how far the reading has got and may cancel it.
QString LoadProgramFile(const QString& path, SourceLines* source = nullptr, TextEncoding* encoding = nullptr,
                        const ProgressHook& progress = {});

// Writes editor text to a program file, creating it or replacing the whole of it;
// an empty text gives a 0-byte file. Nothing is written when the text holds a
// character CP932 cannot hold. The old file stays intact on every failure. Throws
// KurovelError with "ファイル %s を作成できません" when the file cannot be created or
// replaced (a read-only file included). source, when given, supplies the bytes of
// unchanged lines and, on success, receives the lines written.
// progress hears how far the conversion has got and may cancel it, before
// anything is written.
void SaveProgramFile(const QString& path, const QString& text, SourceLines* source = nullptr,
                     const ProgressHook& progress = {});

}  // namespace kurovel
