#pragma once
// Program files: Shift-JIS (CP932) text with CR LF between lines, moved to and from
// the editor's Unicode text, whose lines are separated by "\n".

#include <QHash>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/limits.h"
#include "files/file_progress_hook.h"
#include "language/text_encoding.h"

namespace kurovel {

inline constexpr std::string_view kTextTooLarge = "文字列の大きさが メモ の制限を越えました";

// What saving needs to know of the file last read or written. CP932 gives several
// characters two codes (the NEC and the IBM extensions) that read as one Unicode
// character, and the converter writes only one of them back; a line the user has
// not changed is therefore written with its own bytes, which keeps a load-save
// round trip byte-exact. Only the lines that the converter would write back
// differently, and the other lines with the same text, are kept: a file of plain
// lines costs nothing here however long it is.
class SourceLines {
 public:
  SourceLines() = default;
  // The lines of file bytes (cut at the first NUL), read as ProgramTextFromBytes does.
  explicit SourceLines(std::string_view bytes);

  // The bytes to write for line number index (from 0) with the given text: the
  // bytes it was read from when it is unchanged (at its place, or moved: those of
  // the first line with that text), else none and the converter writes it.
  // line is the text in UTF-8.
  const std::string* BytesFor(std::size_t index, std::string_view line) const;

 private:
  friend QString ProgramTextFromBytes(std::string_view, SourceLines*, const ProgressHook&);
  // Keeps every line whose text is that of one of odd_lines (indices into the lines of bytes).
  void KeepLinesLike(std::string_view bytes, const std::vector<std::size_t>& odd_lines);

  struct Occurrence {
    std::size_t index;
    std::string bytes;
  };
  // For each text that some line's bytes do not convert back to: every line with
  // that text, in file order, with its own bytes.
  QHash<QString, std::vector<Occurrence>> lines_of_text_;
};

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
