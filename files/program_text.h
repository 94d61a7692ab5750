#pragma once
// Program files as UTF-8 editor text, without Qt: what a file's bytes show in the
// editor and the Shift-JIS bytes an editor text is saved as. The desktop's loader
// and the web edition share these rules.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "files/file_progress_hook.h"
#include "language/text_encoding.h"

namespace kurovel {

// The refusal of a program file larger than kMaxProgramFileBytes.
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
  // The lines of Shift-JIS file bytes (cut at the first NUL).
  explicit SourceLines(std::string_view bytes);

  // The bytes to write for line number index (from 0) with the given text (UTF-8):
  // the bytes it was read from when it is unchanged (at its place, or moved: those
  // of the first line with that text), else none and the converter writes it.
  const std::string* BytesFor(std::size_t index, std::string_view line_utf8) const;

 private:
  friend std::string ProgramUtf8FromShiftJis(std::string_view, SourceLines*, const ProgressHook&);
  // Keeps every line whose text is that of one of odd_lines (indices into the lines of bytes).
  void KeepLinesLike(std::string_view bytes, const std::vector<std::size_t>& odd_lines);

  struct Occurrence {
    std::size_t index;
    std::string bytes;
  };
  // For each text (UTF-8) that some line's bytes do not convert back to: every
  // line with that text, in file order, with its own bytes.
  std::unordered_map<std::string, std::vector<Occurrence>> lines_of_text_;
};

// The editor text (UTF-8, "\n" between lines) of Shift-JIS file bytes: the text
// up to the first NUL byte, cut into lines by SplitFileLines, each undecodable byte
// shown as U+FFFD. source, when given, receives the lines saving needs; progress
// hears how many bytes have been read and may cancel.
std::string ProgramUtf8FromShiftJis(std::string_view bytes, SourceLines* source = nullptr,
                                    const ProgressHook& progress = {});

// The editor text of a UTF-8 or UTF-16 file (byte order mark dropped): up to the
// first NUL character, each CR LF, lone CR and lone LF one "\n", each invalid UTF-8
// sequence U+FFFD.
std::string ProgramUtf8FromUnicode(std::string_view bytes, TextEncoding encoding);

// What the window says once after reading a UTF-8 or UTF-16 file (saving writes
// Shift-JIS), in UTF-8; empty for a Shift-JIS file.
std::string ReadEncodingNotice(TextEncoding encoding);

// The editor text of any program file's bytes, read by DetectEncoding. source, when
// given, receives the lines saving needs (none for a UTF-8 or UTF-16 file); progress
// hears how far a Shift-JIS file has been read and may cancel.
std::string ProgramUtf8FromBytes(std::string_view bytes, TextEncoding* encoding = nullptr,
                                 SourceLines* source = nullptr, const ProgressHook& progress = {});

// The refusal to save a line: "N 行目の文字「c」(U+XXXX) はシフトJISで保存できません"
// for the character at byte offset of line_utf8 (line_number counts from 1). The
// code point is named because the character may be invisible (a joiner, a control).
std::string UnsavableCharacterMessage(std::size_t line_number, std::string_view line_utf8, std::size_t offset);

// The file bytes of a UTF-8 editor text: each line converted to CP932 (or taken
// from source when unchanged), lines joined by CR LF. Throws
// KurovelError(UnsavableCharacterMessage) for the first character CP932 cannot
// hold, or can hold only as another character ("£" U+00A3 would be written as the
// code that reads as "￡" U+FFE1): the file must read back as the text shown.
// progress hears how far the conversion has got and may cancel.
std::string ProgramBytesFromUtf8(std::string_view text_utf8, const SourceLines& source = {},
                                 const ProgressHook& progress = {});

}  // namespace kurovel
