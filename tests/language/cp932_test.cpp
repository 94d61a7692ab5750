#include "language/cp932.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "language/errors.h"

namespace kurovel {
namespace {

const std::string kBad = "\xEF\xBF\xBD";  // U+FFFD

TEST(Cp932ToUtf8, DecodesAndReplacesEachBadByte) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""}, {"fd 100", "fd 100"}, {"\x82\xDC\x82\xA6\x82\xC9", "まえに"}, {"\x83\x5C", "ソ"},
      {"\xB1\xB2", "ｱｲ"}, {"\x81\x60", "～"}, {"\x80" "a", kBad + "a"}, {"a\xFF" "b\xFD", "a" + kBad + "b" + kBad},
      {"\x81\x20" "fd", kBad + " fd"},  // a bad trail byte: only the lead byte is lost
      {"fd\x82", "fd" + kBad},          // a lead byte cut off at the end
      {std::string(3000, '\x80'), [] { std::string s; for (int i = 0; i < 3000; ++i) s += kBad; return s; }()},
  };
  for (const auto& [cp932, utf8] : cases) EXPECT_EQ(Cp932ToUtf8(cp932), utf8) << utf8;
}

TEST(Utf8ToCp932, EncodesAndStopsAtTheFirstFailure) {
  struct Case { std::string utf8, bytes; std::size_t bad_offset; };
  constexpr std::size_t kOk = Cp932Encoding::npos;
  const Case cases[] = {
      {"", "", kOk}, {"まえに　１", "\x82\xDC\x82\xA6\x82\xC9\x81\x40\x82\x50", kOk},
      {"〜", "\x81\x60", kOk}, {"～", "\x81\x60", kOk},  // the wave dash and the full-width tilde share 81 60
      {"ab\xF0\x9F\x98\x80" "cd", "ab", 2}, {"a\xC3", "a", 1}, {"a\xFF" "b", "a", 1},
  };
  for (const Case& c : cases) {
    const Cp932Encoding encoded = Utf8ToCp932(c.utf8);
    EXPECT_EQ(encoded.bytes, c.bytes) << c.utf8;
    EXPECT_EQ(encoded.bad_offset, c.bad_offset) << c.utf8;
  }
  std::string long_text;
  for (int i = 0; i < 2000; ++i) long_text += "あx";  // longer than one conversion buffer
  EXPECT_EQ(Cp932ToUtf8(Sjis(long_text)), long_text);
  EXPECT_THROW(Sjis("\xF0\x9F\x98\x80"), std::logic_error);
}

// A character whose code reads back as another one (the look-alikes glibc writes,
// language tags written as nothing): kAnyForm writes it, kReadsBack stops there,
// kQuestionMarks writes it too and puts "?" where there is no code at all.
TEST(Utf8ToCp932, ModesForCharactersThatDoNotReadBack) {
  struct Case { std::string utf8, any_form, reads_back, question_marks; std::size_t reads_back_bad; };
  const Case cases[] = {
      {"§§£", "\x81\x98\x81\x98\x81\x92", "\x81\x98\x81\x98", "\x81\x98\x81\x98\x81\x92", 4},
      {"a¥", "a\x5C", "a", "a\x5C", 1},
      {"〜x", "\x81\x60x", "", "\x81\x60x", 0},
      {"～", "\x81\x60", "\x81\x60", "\x81\x60", Cp932Encoding::npos},
      {"a\U000E0041b", "ab", "a", "ab", 1},
      {"a😀\x80" "b", "a", "a", "a??b", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToCp932(c.utf8).bytes, c.any_form) << c.utf8;
    const Cp932Encoding strict = Utf8ToCp932(c.utf8, Cp932Mode::kReadsBack);
    EXPECT_EQ(strict.bytes, c.reads_back) << c.utf8;
    EXPECT_EQ(strict.bad_offset, c.reads_back_bad) << c.utf8;
    const Cp932Encoding lenient = Utf8ToCp932(c.utf8, Cp932Mode::kQuestionMarks);
    EXPECT_EQ(lenient.bytes, c.question_marks) << c.utf8;
    EXPECT_TRUE(lenient.Ok()) << c.utf8;
  }
}

TEST(ErrorTexts, PointAfterCharactersAbovePointAndQuotedText) {
  const std::pair<std::string, std::string> cases[] = {
      {"0 による浮動小数点数除算", "0 による浮動小数点数除算."}, {"ends in z", "ends in z."},
      {"ends in point.", "ends in point."}, {"ends in paren)", "ends in paren)"}, {"0", "0."}, {"", ""},
  };
  for (const auto& [message, shown] : cases) EXPECT_EQ(ErrorBoxText(message), shown);
  EXPECT_EQ(NotAnIntegerMessage("\x82\xA0" "1"), "'あ1' は整数ではありません");
}

// The error box names a failed allocation in Japanese; every other error shows its own text.
TEST(ErrorTexts, FailedAllocationIsOutOfMemory) {
  EXPECT_EQ(ErrorMessageOf(std::bad_alloc()), kOutOfMemory);
  EXPECT_EQ(ErrorMessageOf(std::bad_array_new_length()), kOutOfMemory);
  EXPECT_EQ(ErrorMessageOf(KurovelError("ファイル a は開けません")), "ファイル a は開けません");
  EXPECT_EQ(ErrorMessageOf(std::length_error("too long")), "too long");
}

}  // namespace
}  // namespace kurovel
