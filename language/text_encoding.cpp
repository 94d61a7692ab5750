#include "language/text_encoding.h"

#include <algorithm>
#include <array>
#include <utility>

#include "language/cp932.h"

namespace kurovel {
namespace {

struct ByteOrderMark {
  TextEncoding encoding;
  std::string_view bytes;
};
constexpr std::array<ByteOrderMark, 3> kByteOrderMarks{{
    {TextEncoding::kUtf8, "\xEF\xBB\xBF"},
    {TextEncoding::kUtf16Le, "\xFF\xFE"},
    {TextEncoding::kUtf16Be, "\xFE\xFF"},
}};

constexpr std::array<std::pair<TextEncoding, std::string_view>, 4> kEncodingNames{{
    {TextEncoding::kShiftJis, "shift_jis"},
    {TextEncoding::kUtf8, "utf-8"},
    {TextEncoding::kUtf16Le, "utf-16le"},
    {TextEncoding::kUtf16Be, "utf-16be"},
}};

const ByteOrderMark* MarkOf(std::string_view bytes) {
  for (const ByteOrderMark& mark : kByteOrderMarks) {
    if (bytes.starts_with(mark.bytes)) return &mark;
  }
  return nullptr;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at pos (no overlong form, surrogate or
// code point above U+10FFFF), or 0.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  const unsigned char lead = at(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (pos + length > text.size() || at(1) < low || at(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!IsContinuation(at(i))) return 0;
  }
  return length;
}

bool IsUtf8WithMultiByte(std::string_view bytes) {
  bool multi_byte = false;
  for (std::size_t pos = 0; pos < bytes.size();) {
    const std::size_t length = Utf8SequenceLength(bytes, pos);
    if (length == 0) return false;
    multi_byte = multi_byte || length > 1;
    pos += length;
  }
  return multi_byte;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// UTF-16 code units (a final odd byte is dropped) to UTF-8.
std::string Utf16ToUtf8(std::string_view bytes, bool little_endian) {
  const auto unit = [&](std::size_t i) -> char32_t {
    const auto first = static_cast<unsigned char>(bytes[2 * i]), second = static_cast<unsigned char>(bytes[2 * i + 1]);
    return little_endian ? (second << 8 | first) : (first << 8 | second);
  };
  const std::size_t count = bytes.size() / 2;
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < count; ++i) {
    const char32_t code = unit(i);
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < count && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      out += '?';
    } else {
      AppendUtf8(out, code);
    }
  }
  return out;
}

}  // namespace

std::string_view EncodingName(TextEncoding encoding) {
  for (const auto& [value, name] : kEncodingNames) {
    if (value == encoding) return name;
  }
  return "shift_jis";  // unreachable: every encoding has a row
}

TextEncoding DetectEncoding(std::string_view bytes) {
  if (const ByteOrderMark* mark = MarkOf(bytes)) return mark->encoding;
  return IsUtf8WithMultiByte(bytes) ? TextEncoding::kUtf8 : TextEncoding::kShiftJis;
}

std::size_t FirstNulCharacter(std::string_view bytes, std::size_t from) {
  const ByteOrderMark* mark = MarkOf(bytes);
  if (mark == nullptr || mark->encoding == TextEncoding::kUtf8) return bytes.find('\0', from);
  for (std::size_t pos = std::max<std::size_t>(2, from & ~std::size_t{1}); pos + 1 < bytes.size(); pos += 2) {
    if (bytes[pos] == '\0' && bytes[pos + 1] == '\0') return pos;
  }
  return std::string_view::npos;
}

std::string UnicodeToUtf8(std::string_view bytes, TextEncoding encoding) {
  if (encoding == TextEncoding::kShiftJis) return std::string(bytes);
  if (const ByteOrderMark* mark = MarkOf(bytes); mark != nullptr && mark->encoding == encoding) {
    bytes.remove_prefix(mark->bytes.size());
  }
  if (encoding == TextEncoding::kUtf8) return std::string(bytes);
  return Utf16ToUtf8(bytes, encoding == TextEncoding::kUtf16Le);
}

std::string ToCp932Program(std::string_view bytes, TextEncoding encoding) {
  if (encoding == TextEncoding::kShiftJis) return std::string(bytes);
  return Utf8ToCp932(UnicodeToUtf8(bytes, encoding), Cp932Mode::kQuestionMarks).bytes;
}

}  // namespace kurovel
