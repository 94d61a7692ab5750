#pragma once
// The CP932 <-> Unicode mapping (generated into cp932_table.cpp by
// scripts/make-cp932-table.cpp): all characters of CP932 lie in the BMP.

#include <array>
#include <cstdint>
#include <span>

namespace kurovel::cp932_table {

inline constexpr char16_t kNoCharacter = 0xFFFF;  // no CP932 code decodes to U+FFFF
inline constexpr std::uint16_t kNoCode = 0xFFFF;  // 0xFF is never a lead byte

// The double-byte table has one row per lead byte (0x81-0x9F, 0xE0-0xFC), one
// column per trail byte 0x40-0xFC; pairs with other trail bytes never decode.
inline constexpr unsigned kFirstTrail = 0x40;
inline constexpr unsigned kLastTrail = 0xFC;
inline constexpr std::size_t kTrailsPerRow = kLastTrail - kFirstTrail + 1;
inline constexpr std::size_t kLeadRows = (0x9F - 0x81 + 1) + (0xFC - 0xE0 + 1);
// The row of a lead byte.
constexpr std::size_t RowOf(unsigned char lead) {
  return lead <= 0x9F ? lead - 0x81u : lead - 0xE0u + (0x9F - 0x81 + 1);
}

// The character of each single byte; kNoCharacter for lead bytes and undefined bytes.
extern const std::array<char16_t, 256> kSingleByte;
// The character of each lead/trail pair; kNoCharacter where the pair is undefined.
extern const std::array<char16_t, kLeadRows * kTrailsPerRow> kDoubleByte;

// Language tag characters encode to nothing at all.
inline constexpr char32_t kFirstIgnored = 0xE0000;
inline constexpr char32_t kLastIgnored = 0xE007F;

// The rows 0xED and 0xEE repeat characters of the rows 0xFA-0xFC; encoding never
// chooses them while another code decodes to the same character.
constexpr bool IsLastChoiceRow(unsigned char lead) { return lead == 0xED || lead == 0xEE; }

// Encoding takes, for each character, the lowest code that decodes to it (a
// single byte b is the code b, a pair is lead * 256 + trail), rows 0xED and 0xEE
// last, except for these characters: they have the code given here, kNoCode
// when they have none.
struct EncodeException {
  char16_t character;
  std::uint16_t code;
};
extern const std::span<const EncodeException> kEncodeExceptions;

}  // namespace kurovel::cp932_table
