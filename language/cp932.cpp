// CP932 <-> UTF-8 through the generated mapping in cp932_table.cpp, which follows
// glibc's iconv "CP932" byte for byte: direct lookups both ways, no iconv needed.

#include "language/cp932.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "language/cp932_table.h"

namespace kurovel {
namespace {

using cp932_table::kNoCharacter;
using cp932_table::kNoCode;

constexpr char16_t kReplacement = 0xFFFD;
constexpr char32_t kLastCodePoint = 0x10FFFF;

void AppendUtf8(std::string& out, char16_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The character of the pair lead, trail; kNoCharacter when it has none.
char16_t PairCharacter(unsigned char lead, unsigned char trail) {
  if (trail < cp932_table::kFirstTrail || trail > cp932_table::kLastTrail) return kNoCharacter;
  return cp932_table::kDoubleByte[cp932_table::RowOf(lead) * cp932_table::kTrailsPerRow + trail -
                                  cp932_table::kFirstTrail];
}

bool IsOwnCode(unsigned char byte) { return byte < 0x80 && cp932_table::kSingleByte[byte] == byte; }

// The character a code reads as.
char16_t ReadsAs(std::uint16_t code) {
  if (code <= 0xFF) return cp932_table::kSingleByte[code];
  return PairCharacter(static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code & 0xFF));
}

// The CP932 code of every BMP character, kNoCode where there is none.
std::vector<std::uint16_t> BuildEncodeIndex() {
  std::vector<std::uint16_t> index(0x10000, kNoCode);
  const auto offer = [&index](char16_t c, unsigned code) {
    if (c != kNoCharacter && index[c] == kNoCode) index[c] = static_cast<std::uint16_t>(code);
  };
  for (unsigned byte = 0; byte < 256; ++byte) offer(cp932_table::kSingleByte[byte], byte);
  for (const bool last_choice : {false, true}) {
    for (unsigned lead = 0; lead < 256; ++lead) {
      const auto lead_byte = static_cast<unsigned char>(lead);
      if (!IsLeadByte(lead_byte) || cp932_table::IsLastChoiceRow(lead_byte) != last_choice) continue;
      for (unsigned trail = cp932_table::kFirstTrail; trail <= cp932_table::kLastTrail; ++trail) {
        offer(PairCharacter(lead_byte, static_cast<unsigned char>(trail)), lead << 8 | trail);
      }
    }
  }
  for (const cp932_table::EncodeException& e : cp932_table::kEncodeExceptions) index[e.character] = e.code;
  return index;
}

const std::vector<std::uint16_t>& EncodeIndex() {
  static const std::vector<std::uint16_t> index = BuildEncodeIndex();
  return index;
}

// One character of UTF-8 text; length 0 when the bytes at that place are not
// well-formed UTF-8 (overlong forms, surrogates and values above U+10FFFF included).
struct Utf8Character {
  char32_t code_point = 0;
  std::size_t length = 0;
};

Utf8Character NextUtf8(std::string_view text, std::size_t pos) {
  const auto first = static_cast<unsigned char>(text[pos]);
  if (first < 0x80) return {first, 1};
  if (first < 0xC2 || first > 0xF4) return {};
  const std::size_t length = first < 0xE0 ? 2 : first < 0xF0 ? 3 : 4;
  if (text.size() - pos < length) return {};
  char32_t code_point = first & (0x7Fu >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return {};
    code_point = code_point << 6 | (next & 0x3Fu);
  }
  constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code_point < kSmallest[length] || code_point > kLastCodePoint) return {};
  if (code_point >= 0xD800 && code_point <= 0xDFFF) return {};
  return {code_point, length};
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  std::string out;
  out.reserve(cp932.size() * 3 / 2);
  for (std::size_t pos = 0; pos < cp932.size();) {
    const auto byte = static_cast<unsigned char>(cp932[pos]);
    char16_t c = cp932_table::kSingleByte[byte];
    std::size_t length = 1;
    if (c == kNoCharacter && IsLeadByte(byte) && pos + 1 < cp932.size()) {
      c = PairCharacter(byte, static_cast<unsigned char>(cp932[pos + 1]));
      length = 2;
    }
    if (c == kNoCharacter) {
      // An undecodable byte (or a lead byte cut off at the end) stands for one
      // replacement character; the byte after it may start a valid character.
      c = kReplacement;
      length = 1;
    }
    AppendUtf8(out, c);
    pos += length;
  }
  return out;
}

Cp932Encoding Utf8ToCp932(std::string_view utf8, Cp932Mode mode) {
  Cp932Encoding result;
  result.bytes.reserve(utf8.size());
  const std::vector<std::uint16_t>& index = EncodeIndex();
  for (std::size_t pos = 0; pos < utf8.size();) {
    std::size_t ascii_end = pos;  // ASCII is its own code: a run of it is copied whole
    while (ascii_end < utf8.size() && IsOwnCode(static_cast<unsigned char>(utf8[ascii_end]))) ++ascii_end;
    if (ascii_end > pos) {
      result.bytes.append(utf8.substr(pos, ascii_end - pos));
      pos = ascii_end;
      continue;
    }
    const Utf8Character c = NextUtf8(utf8, pos);
    const std::size_t length = c.length == 0 ? 1 : c.length;
    const bool ignored = c.length > 0 && c.code_point >= cp932_table::kFirstIgnored &&
                         c.code_point <= cp932_table::kLastIgnored;
    if (ignored && mode != Cp932Mode::kReadsBack) {  // written as nothing
      pos += length;
      continue;
    }
    const std::uint16_t code = c.length == 0 || ignored || c.code_point >= index.size() ? kNoCode : index[c.code_point];
    if (code != kNoCode && (mode != Cp932Mode::kReadsBack || ReadsAs(code) == c.code_point)) {
      if (code > 0xFF) result.bytes += static_cast<char>(code >> 8);
      result.bytes += static_cast<char>(code & 0xFF);
    } else if (mode == Cp932Mode::kQuestionMarks) {
      result.bytes += '?';
    } else {
      result.bad_offset = pos;
      break;
    }
    pos += length;
  }
  return result;
}

std::string Sjis(std::string_view utf8) {
  Cp932Encoding encoded = Utf8ToCp932(utf8);
  if (!encoded.Ok()) {
    throw std::logic_error("text has no CP932 form: " + std::string(utf8));
  }
  return std::move(encoded.bytes);
}

}  // namespace kurovel
