#pragma once
// Program files as UTF-8 editor text, without Qt: what a file's bytes show in the
// editor and the Shift-JIS bytes an editor text is saved as. The desktop's loader
// and the web edition share these rules.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "language/text_encoding.h"

namespace kurovel {

// The refusal of a program file larger than kMaxProgramFileBytes.
inline constexpr std::string_view kTextTooLarge = "文字列の大きさが メモ の制限を越えました";

// The lines of the file last read or written, each as its bytes and as the editor
// shows it. CP932 gives several characters two codes (the NEC and the IBM
// extensions) that read as one Unicode character, and the converter writes only
// one of them back; a line the user has not changed is therefore written with its
// own bytes, which keeps a load-save round trip byte-exact.
class SourceLines {
 public:
  SourceLines() = default;
  // The lines of Shift-JIS file bytes (cut at the first NUL).
  explicit SourceLines(std::string_view bytes);

  // The bytes to write for line number index (from 0) with the given text (UTF-8):
  // the bytes it was read from when it is unchanged (at its place, or moved), else none.
  const std::string* BytesFor(std::size_t index, std::string_view line_utf8) const;
  // The editor text of these lines (UTF-8), "\n" between them.
  std::string Text() const;

 private:
  struct Line {
    std::string bytes;
    std::string text;
  };
  std::vector<Line> lines_;
  std::unordered_map<std::string, std::size_t> index_of_text_;  // first line with each text
};

// The editor text (UTF-8, "\n" between lines) of Shift-JIS file bytes: the text
// up to the first NUL byte, cut into lines by SplitFileLines, each undecodable byte
// shown as U+FFFD.
std::string ProgramUtf8FromShiftJis(std::string_view bytes);

// The editor text of a UTF-8 or UTF-16 file (byte order mark dropped): up to the
// first NUL character, each CR LF, lone CR and lone LF one "\n", each invalid UTF-8
// sequence U+FFFD.
std::string ProgramUtf8FromUnicode(std::string_view bytes, TextEncoding encoding);

// The editor text of any program file's bytes, read by DetectEncoding.
std::string ProgramUtf8FromBytes(std::string_view bytes, TextEncoding* encoding = nullptr);

// The refusal to save a line: "N 行目の文字「c」(U+XXXX) はシフトJISで保存できません"
// for the character at byte offset of line_utf8 (line_number counts from 1). The
// code point is named because the character may be invisible (a joiner, a control).
std::string UnsavableCharacterMessage(std::size_t line_number, std::string_view line_utf8, std::size_t offset);

// The file bytes of a UTF-8 editor text: each line converted to CP932 (or taken
// from source when unchanged), lines joined by CR LF. Throws
// KurovelError(UnsavableCharacterMessage) for the first character CP932 cannot hold.
std::string ProgramBytesFromUtf8(std::string_view text_utf8, const SourceLines& source = {});

}  // namespace kurovel
