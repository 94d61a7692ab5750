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
#include "language/text_encoding.h"

namespace kurovel {

inline constexpr std::string_view kTextTooLarge = "文字列の大きさが メモ の制限を越えました";

// The lines of the file last read or written, each as its bytes and as the editor
// shows it. CP932 gives several characters two codes (the NEC and the IBM
// extensions) that read as one Unicode character, and the converter writes only
// one of them back; a line the user has not changed is therefore written with its
// own bytes, which keeps a load-save round trip byte-exact.
class SourceLines {
 public:
  SourceLines() = default;
  // The lines of file bytes already cut at the first NUL.
  explicit SourceLines(std::string_view bytes);

  // The bytes to write for line number index (from 0) with the given text: the
  // bytes it was read from when it is unchanged (at its place, or moved), else none.
  const std::string* BytesFor(std::size_t index, const QString& line) const;
  // The editor text of these lines, "\n" between them.
  QString Text() const;

 private:
  struct Line {
    std::string bytes;
    QString text;
  };
  std::vector<Line> lines_;
  QHash<QString, std::size_t> index_of_text_;  // first line with each text
};

// The editor text of a file's bytes: the text up to the first NUL byte; each CR LF,
// lone CR and lone LF is one line break, the second byte of a double-byte
// character never; breaks become "\n".
QString ProgramTextFromBytes(std::string_view bytes);

// The file bytes of an editor text: lines converted to CP932 (or taken from source
// when unchanged) and joined by CR LF. Throws KurovelError naming the first
// character CP932 cannot hold and its line.
std::string ProgramBytesFromText(const QString& text, const SourceLines& source = {});

// The editor text of a UTF-8 or UTF-16 file's bytes (byte order mark dropped): the
// text up to the first NUL character, each CR LF, lone CR and lone LF one "\n".
QString ProgramTextFromUnicode(std::string_view bytes, TextEncoding encoding);

// Reads a program file into editor text; source, when given, receives its lines
// (none for a UTF-8 or UTF-16 file, whose every line is converted on saving), and
// encoding, when given, how the file was read (see DetectEncoding).
// Throws KurovelError with "ファイル %s は開けません" when it cannot be read and
// kTextTooLarge when it is larger than kMaxProgramFileBytes.
QString LoadProgramFile(const QString& path, SourceLines* source = nullptr, TextEncoding* encoding = nullptr);

// Writes editor text to a program file, creating it or replacing the whole of it;
// an empty text gives a 0-byte file. Nothing is written when the text holds a
// character CP932 cannot hold. The old file stays intact on every failure. Throws
// KurovelError with "ファイル %s を作成できません" when the file cannot be created or
// replaced (a read-only file included). source, when given, supplies the bytes of
// unchanged lines and, on success, receives the lines written.
void SaveProgramFile(const QString& path, const QString& text, SourceLines* source = nullptr);

}  // namespace kurovel
