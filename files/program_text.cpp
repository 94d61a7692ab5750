#include "files/program_text.h"

#include <algorithm>
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

// Progress is reported after about this many bytes of work.
constexpr std::int64_t kProgressStepBytes = std::int64_t{1} << 20;

// ASCII reads and writes as itself in CP932, so such a line needs no conversion check.
bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Saving writes only characters that read back as themselves: the file holds
// what the editor showed.
Cp932Encoding SavedForm(std::string_view line_utf8) { return Utf8ToCp932(line_utf8, Cp932Mode::kReadsBack); }

// True when the converter writes a line's text back as the bytes it was read from.
bool ConvertsBack(std::string_view line_bytes, std::string_view line_utf8) {
  if (IsAscii(line_bytes)) return true;
  const Cp932Encoding encoded = SavedForm(line_utf8);
  return encoded.Ok() && encoded.bytes == line_bytes;
}

// Calls the hook once per step of work rather than once per line.
class ProgressSteps {
 public:
  ProgressSteps(const ProgressHook& hook, std::size_t total) : hook_(hook), total_(static_cast<std::int64_t>(total)) {}
  void At(std::size_t done) {
    if (!hook_ || static_cast<std::int64_t>(done) < next_) return;
    hook_(static_cast<std::int64_t>(done), total_);
    next_ = static_cast<std::int64_t>(done) + kProgressStepBytes;
  }

 private:
  const ProgressHook& hook_;
  std::int64_t total_;
  std::int64_t next_ = 0;
};

}  // namespace

SourceLines::SourceLines(std::string_view bytes) { ProgramUtf8FromShiftJis(bytes, this); }

void SourceLines::KeepLinesLike(std::string_view bytes, const std::vector<std::size_t>& odd_lines) {
  const std::vector<std::string_view> lines = SplitFileLines(bytes);
  for (const std::size_t index : odd_lines) lines_of_text_.emplace(Cp932ToUtf8(lines[index]), std::vector<Occurrence>{});
  // Every line with one of those texts, in file order: unchanged lines keep their own bytes.
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const auto found = lines_of_text_.find(Cp932ToUtf8(lines[index]));
    if (found != lines_of_text_.end()) found->second.push_back(Occurrence{index, std::string(lines[index])});
  }
}

const std::string* SourceLines::BytesFor(std::size_t index, std::string_view line_utf8) const {
  if (lines_of_text_.empty()) return nullptr;  // the usual case: no text needs looking up
  const auto found = lines_of_text_.find(std::string(line_utf8));
  if (found == lines_of_text_.end()) return nullptr;
  const std::vector<Occurrence>& lines = found->second;
  const auto at = std::lower_bound(lines.begin(), lines.end(), index,
                                   [](const Occurrence& line, std::size_t wanted) { return line.index < wanted; });
  return at != lines.end() && at->index == index ? &at->bytes : &lines.front().bytes;
}

std::string ProgramUtf8FromShiftJis(std::string_view bytes, SourceLines* source, const ProgressHook& progress) {
  std::string text;
  text.reserve(bytes.size());
  std::vector<std::size_t> odd_lines;  // lines that the converter would write back differently
  std::size_t index = 0;
  ProgressSteps steps(progress, bytes.size());
  ForEachFileLine(bytes, [&](std::string_view line) {
    steps.At(static_cast<std::size_t>(line.data() - bytes.data()));
    if (index > 0) text += '\n';
    const std::string line_text = Cp932ToUtf8(line);
    if (source != nullptr && !ConvertsBack(line, line_text)) odd_lines.push_back(index);
    text += line_text;
    ++index;
  });
  if (source != nullptr) {
    *source = SourceLines();
    if (!odd_lines.empty()) source->KeepLinesLike(bytes, odd_lines);
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

std::string ReadEncodingNotice(TextEncoding encoding) {
  if (encoding == TextEncoding::kShiftJis) return {};
  const std::string_view name = encoding == TextEncoding::kUtf8 ? "UTF-8" : "UTF-16";
  return "このファイルは " + std::string(name) + " として読み込みました。保存するとシフトJISになります。";
}

std::string ProgramUtf8FromBytes(std::string_view bytes, TextEncoding* encoding, SourceLines* source,
                                 const ProgressHook& progress) {
  const TextEncoding detected = DetectEncoding(bytes);
  if (encoding != nullptr) *encoding = detected;
  if (detected == TextEncoding::kShiftJis) return ProgramUtf8FromShiftJis(bytes, source, progress);
  // Every line of a UTF-8 or UTF-16 file is converted when it is saved.
  if (source != nullptr) *source = SourceLines();
  return ProgramUtf8FromUnicode(bytes, detected);
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

std::string ProgramBytesFromUtf8(std::string_view text_utf8, const SourceLines& source, const ProgressHook& progress) {
  std::string bytes;
  bytes.reserve(text_utf8.size() + text_utf8.size() / 8);
  ProgressSteps steps(progress, text_utf8.size());
  std::size_t line_number = 1;
  for (std::size_t start = 0;; ++line_number) {
    steps.At(start);
    const std::size_t end = text_utf8.find('\n', start);
    const std::string_view line = text_utf8.substr(start, end == std::string_view::npos ? end : end - start);
    if (line_number > 1) bytes += "\r\n";
    if (const std::string* original = source.BytesFor(line_number - 1, line)) {
      bytes += *original;
    } else if (IsAscii(line)) {
      bytes += line;
    } else {
      const Cp932Encoding encoded = SavedForm(line);
      if (!encoded.Ok()) throw KurovelError(UnsavableCharacterMessage(line_number, line, encoded.bad_offset));
      bytes += encoded.bytes;
    }
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return bytes;
}

}  // namespace kurovel
