#include "files/program_text.h"

#include <cstdint>
#include <cstdio>

#include "language/cp932.h"
#include "language/errors.h"
#include "language/program_lines.h"

namespace kurovel {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

// The length of the valid UTF-8 sequence at pos, or 0 when none starts there
// (overlong forms, surrogates and code points past U+10FFFF are invalid).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos, char32_t* code = nullptr) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    if (code != nullptr) *code = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i) & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  if (code != nullptr) *code = value;
  return length;
}

// Valid UTF-8, each invalid byte replaced by U+FFFD.
std::string ValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = Utf8SequenceLength(text, pos);
    if (length == 0) {
      out += kReplacementCharacter;
      ++pos;
    } else {
      out.append(text.substr(pos, length));
      pos += length;
    }
  }
  return out;
}

}  // namespace

SourceLines::SourceLines(std::string_view bytes) {
  for (const std::string_view line : SplitFileLines(bytes)) lines_.push_back(Line{std::string(line), Cp932ToUtf8(line)});
  // emplace keeps an existing entry, so the first line with a text wins.
  for (std::size_t i = 0; i < lines_.size(); ++i) index_of_text_.emplace(lines_[i].text, i);
}

const std::string* SourceLines::BytesFor(std::size_t index, std::string_view line_utf8) const {
  if (index < lines_.size() && lines_[index].text == line_utf8) return &lines_[index].bytes;
  const auto found = index_of_text_.find(std::string(line_utf8));
  return found == index_of_text_.end() ? nullptr : &lines_[found->second].bytes;
}

std::string SourceLines::Text() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines_[i].text;
  }
  return text;
}

std::string ProgramUtf8FromShiftJis(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  bool first = true;
  for (const std::string_view line : SplitFileLines(bytes)) {
    if (!first) text += '\n';
    first = false;
    text += Cp932ToUtf8(line);
  }
  return text;
}

std::string ProgramUtf8FromUnicode(std::string_view bytes, TextEncoding encoding) {
  std::string utf8 = ValidUtf8(UnicodeToUtf8(bytes, encoding));
  if (const std::size_t nul = utf8.find('\0'); nul != std::string::npos) utf8.resize(nul);
  std::string text;
  text.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] != '\r') {
      text += utf8[i];
      continue;
    }
    text += '\n';
    if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
  }
  return text;
}

std::string ProgramUtf8FromBytes(std::string_view bytes, TextEncoding* encoding) {
  const TextEncoding detected = DetectEncoding(bytes);
  if (encoding != nullptr) *encoding = detected;
  return detected == TextEncoding::kShiftJis ? ProgramUtf8FromShiftJis(bytes) : ProgramUtf8FromUnicode(bytes, detected);
}

std::string UnsavableCharacterMessage(std::size_t line_number, std::string_view line_utf8, std::size_t offset) {
  char32_t code = U'\uFFFD';
  std::size_t length = 0;
  if (offset < line_utf8.size()) length = Utf8SequenceLength(line_utf8, offset, &code);
  const std::string character(length > 0 ? line_utf8.substr(offset, length) : kReplacementCharacter);
  char hex[16];
  std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(length > 0 ? code : U'\uFFFD'));
  return std::to_string(line_number) + " 行目の文字「" + character + "」(U+" + hex + ") はシフトJISで保存できません";
}

std::string ProgramBytesFromUtf8(std::string_view text_utf8, const SourceLines& source) {
  std::string bytes;
  std::size_t line_number = 1;
  for (std::size_t start = 0;; ++line_number) {
    const std::size_t end = text_utf8.find('\n', start);
    const std::string_view line = text_utf8.substr(start, end == std::string_view::npos ? end : end - start);
    if (line_number > 1) bytes += "\r\n";
    if (const std::string* original = source.BytesFor(line_number - 1, line)) {
      bytes += *original;
    } else {
      const Cp932Encoding encoded = Utf8ToCp932(line);
      if (!encoded.Ok()) throw KurovelError(UnsavableCharacterMessage(line_number, line, encoded.bad_offset));
      bytes += encoded.bytes;
    }
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return bytes;
}

}  // namespace kurovel
