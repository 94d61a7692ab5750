#pragma once
// Shift-JIS (code page 932) text: the language keeps every text as CP932 bytes
// and converts only at the edges (editor, messages, JSON) with a table that
// reproduces glibc's iconv "CP932" exactly.

#include <cstddef>
#include <string>
#include <string_view>

namespace kurovel {

// 0x81-0x9F and 0xE0-0xFC start a double-byte character.
constexpr bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// 0x40-0x7E and 0x80-0xFC can follow a lead byte; CR and LF never can.
constexpr bool IsTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Bytes of the character that starts at pos: 2 for a lead byte followed by a
// trail byte, otherwise 1 (a lead byte before anything else, a line break
// included, is one undecodable byte). pos must be inside the text.
constexpr std::size_t CharLength(std::string_view text, std::size_t pos) {
  return IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() &&
                 IsTrailByte(static_cast<unsigned char>(text[pos + 1]))
             ? 2
             : 1;
}

// CP932 bytes to UTF-8; every undecodable byte becomes U+FFFD.
std::string Cp932ToUtf8(std::string_view cp932);

struct Cp932Encoding {
  static constexpr std::size_t npos = std::string_view::npos;
  std::string bytes;              // the converted text, up to the first failure
  std::size_t bad_offset = npos;  // byte offset in the UTF-8 input of the first character
                                  // CP932 cannot hold (or of invalid UTF-8); npos when all converted
  bool Ok() const { return bad_offset == npos; }
};

// Which characters Utf8ToCp932 writes, and what it does at the others.
enum class Cp932Mode {
  // Every character with a CP932 form, as glibc's converter writes it (a few are
  // written as the code of a look-alike, language tags as nothing); stops at the
  // first character without one.
  kAnyForm,
  // Only characters whose CP932 form reads back as the same character: saving a
  // text, so that the file holds what the editor showed. Stops at the first other.
  kReadsBack,
  // As kAnyForm, with "?" for each character without a form and each byte of
  // invalid UTF-8; never stops. One pass whatever the text holds.
  kQuestionMarks,
};

// UTF-8 to CP932.
Cp932Encoding Utf8ToCp932(std::string_view utf8, Cp932Mode mode = Cp932Mode::kAnyForm);

// For fixed Japanese texts written in the source as UTF-8: their CP932 bytes.
// Throws std::logic_error when the text has no CP932 form (a programming error).
std::string Sjis(std::string_view utf8);

}  // namespace kurovel
