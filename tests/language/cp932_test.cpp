#include "language/cp932.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "language/errors.h"

namespace kurovel {
namespace {

struct DecodeCase {
  std::string cp932;
  std::string utf8;
};

TEST(Cp932ToUtf8, DecodesAndReplacesBadBytes) {
  const DecodeCase cases[] = {
      {"", ""},
      {"fd 100", "fd 100"},
      {"\x82\xDC\x82\xA6\x82\xC9", "まえに"},
      {"\x83\x5C", "ソ"},                     // trail byte 0x5C is no backslash
      {"\xB1\xB2", "ｱｲ"},                     // half-width katakana are single bytes
      {"\x81\x60", "～"},                     // the wave dash code decodes to the full-width tilde
      {"\x80" "a", "\xEF\xBF\xBD" "a"},        // undefined single byte
      {"a\xFF" "b\xFD", "a\xEF\xBF\xBD" "b\xEF\xBF\xBD"},
      {"\x81\x20" "fd", "\xEF\xBF\xBD fd"},    // bad trail: only the lead byte is lost
      {"fd\x82", "fd\xEF\xBF\xBD"},            // lead byte cut off at the end
      {"\x82", "\xEF\xBF\xBD"},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8) << c.utf8;
  }
}

TEST(Cp932ToUtf8, LongTextKeepsEveryCharacter) {
  std::string cp932;
  std::string utf8;
  for (int i = 0; i < 3000; ++i) {
    cp932 += "\x82\xA0x";  // "あx", longer than any internal buffer
    utf8 += "あx";
  }
  EXPECT_EQ(Cp932ToUtf8(cp932), utf8);
}

TEST(Utf8ToCp932, EncodesAndStopsAtFirstFailure) {
  struct Case {
    std::string utf8;
    std::string bytes;
    std::size_t bad_offset;
  };
  const Case cases[] = {
      {"", "", Cp932Encoding::npos},
      {"まえに　１００", "\x82\xDC\x82\xA6\x82\xC9\x81\x40\x82\x50\x82\x4F\x82\x4F", Cp932Encoding::npos},
      {"〜", "\x81\x60", Cp932Encoding::npos},  // U+301C maps to 81 60
      {"～", "\x81\x60", Cp932Encoding::npos},
      {"ab\xF0\x9F\x98\x80" "cd", "ab", 2},       // an emoji has no CP932 form
      {"a\xC3", "a", 1},                          // cut UTF-8 sequence
      {"a\xFF" "b", "a", 1},                      // invalid UTF-8
  };
  for (const Case& c : cases) {
    const Cp932Encoding encoded = Utf8ToCp932(c.utf8);
    EXPECT_EQ(encoded.bytes, c.bytes) << c.utf8;
    EXPECT_EQ(encoded.bad_offset, c.bad_offset) << c.utf8;
    EXPECT_EQ(encoded.Ok(), c.bad_offset == Cp932Encoding::npos);
  }
}

TEST(Cp932, RoundTripsEveryDoubleByteCharacterItDecodes) {
  // Every lead/trail pair that decodes without a replacement must encode back
  // to itself, except where two codes share a character (the NEC/IBM duplicates).
  int decoded = 0;
  int round_trips = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
      const std::string utf8 = Cp932ToUtf8(bytes);
      if (utf8.find("\xEF\xBF\xBD") != std::string::npos) continue;
      ++decoded;
      const Cp932Encoding back = Utf8ToCp932(utf8);
      ASSERT_TRUE(back.Ok()) << lead << " " << trail;
      if (back.bytes == bytes) ++round_trips;
    }
  }
  EXPECT_GT(decoded, 7000);
  EXPECT_GT(round_trips, decoded - 500);
}

TEST(Sjis, ConvertsFixedTextsAndRejectsUnmappable) {
  EXPECT_EQ(Sjis("ここまで"), "\x82\xB1\x82\xB1\x82\xDC\x82\xC5");
  EXPECT_EQ(Sjis("fd"), "fd");
  EXPECT_THROW(Sjis("\xF0\x9F\x98\x80"), std::logic_error);
}

TEST(CharLength, LeadBytesNeedAFollowingByte) {
  EXPECT_EQ(CharLength("\x83\x5C", 0), 2u);
  EXPECT_EQ(CharLength("\x83\x5C", 1), 1u);
  EXPECT_EQ(CharLength("\xE0\x40", 0), 2u);
  EXPECT_EQ(CharLength("\xA0\x40", 0), 1u);  // 0xA0 leads nothing
  EXPECT_EQ(CharLength("\xFD\x40", 0), 1u);
  EXPECT_EQ(CharLength("a\x81", 1), 1u);     // lone lead byte at the end
}

TEST(ErrorBoxText, AddsPointAfterCharactersAbovePoint) {
  const std::pair<std::string, std::string> cases[] = {
      {"0 による浮動小数点数除算", "0 による浮動小数点数除算."},
      {"'abc' は整数ではありません", "'abc' は整数ではありません."},
      {"ends in z", "ends in z."},
      {"ends in point.", "ends in point."},
      {"ends in paren)", "ends in paren)"},
      {"ends in minus-", "ends in minus-"},
      {"0", "0."},
      {"", ""},
  };
  for (const auto& [message, shown] : cases) EXPECT_EQ(ErrorBoxText(message), shown);
}

TEST(NotAnIntegerMessage, QuotesTheConvertedText) {
  EXPECT_EQ(NotAnIntegerMessage("\x82\xA0" "1"), "'あ1' は整数ではありません");
  EXPECT_EQ(NotAnIntegerMessage(""), "'' は整数ではありません");
}

}  // namespace
}  // namespace kurovel
