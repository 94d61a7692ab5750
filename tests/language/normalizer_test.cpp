#include "language/normalizer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>

#include "language/cp932.h"

namespace kurovel {
namespace {

// Inputs and results are written in UTF-8 and compared as CP932.
TEST(NormalizeLine, WordsBlanksAndDigits) {
  const std::pair<std::string, std::string> cases[] = {
      {"まえに　１００", "fd 100"}, {"前進　１００", "fd 100"}, {"後ろに　５０", "bk 50"}, {"左に　９０", "lt 90"},
      {"くりかえし　４", "repeat 4"}, {"ここまで", "next"}, {"変数１　２００", "var1 200"},
      {"ふやす　変数１　１０", "inc var1 10"}, {"位置　２００ １００", "pos 200 100"}, {"もとのいち", "rp"},
      {"元の位置", "rp"}, {"ぺんをさげる　３", "Pd 3"}, {"ペンをさげる　３", "ペンをPd 3"}, {"下げる", "pd"},
      {"割る　変数１　１．５", "div var1 1．5"}, {"みぎへ９０", "rt90"}, {"なまえ", "なfd"},
      {"１２３４５６７８９０", "1234567890"}, {"ＦＤ　－１", "ＦＤ －1"}, {"", ""}, {" ", ""}, {"　　", ""},
      {"　　まえに　１０", "fd 10"}, {"fd 10　", "fd 10 "}, {"fd   10    ", "fd 10 "}, {"FD 100", "FD 100"},
      {"fd\t100", "fd\t100"}, {"a" + std::string(6, ' ') + "b", "a b"}, {"a" + std::string(38, ' ') + "b", "a b"},
      {"a" + std::string(39, ' ') + "b", "a  b"},
      {"奄ﾜえ", "奄ﾜえ"},  // 89 82 DC 82 A6 holds まえ's bytes from a trail byte on: no occurrence
      {"奄まえ", "奄fd"},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(NormalizeLine(Sjis(input)), Sjis(expected)) << "'" << input << "'";
  }
}

TEST(ReplaceAll, CharacterBoundariesAndNoRescan) {
  struct Case { std::string text, searched, replacement, expected; };
  const Case cases[] = {
      {"\x83\x5C\x5C", "\x5C", "/", "\x83\x5C/"},  // ソ ends in 5C, then a real backslash
      {"aaaa", "aa", "a", "aa"}, {"abab", "ab", "abab", "abababab"}, {"xyz", "", "q", "xyz"},
      {"a\x81", "\x81", "!", "a!"},  // a lone lead byte at the end is a character of its own
  };
  for (const Case& c : cases) EXPECT_EQ(ReplaceAll(c.text, c.searched, c.replacement), c.expected) << c.text;
}

TEST(AliasTable, LongerWordsComeFirstAndEachWordAloneBecomesItsMnemonic) {
  const std::vector<AliasRow>& table = AliasTable();
  ASSERT_EQ(table.size(), 73u);
  EXPECT_EQ(table[27].replacement, "Pd");
  EXPECT_EQ(table[31].replacement, "pd");
  for (std::size_t later = 0; later < table.size(); ++later) {
    // A word holding an earlier row's word could never be replaced whole.
    for (std::size_t earlier = 0; earlier < later; ++earlier) {
      EXPECT_EQ(table[later].searched.find(table[earlier].searched), std::string::npos) << later + 1;
    }
    EXPECT_EQ(NormalizeLine(table[later].searched), table[later].replacement) << later + 1;
  }
}

// The normaliser returns a text of ASCII bytes as soon as its blanks are done; that
// is exact only while no word it replaces is plain ASCII and no mnemonic is not.
TEST(AliasTable, WordsAreDoubleByteAndMnemonicsAscii) {
  const auto ascii = [](std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  };
  for (const AliasRow& row : AliasTable()) {
    EXPECT_FALSE(ascii(row.searched)) << row.replacement;
    EXPECT_TRUE(ascii(row.replacement)) << row.replacement;
  }
  // Mixed lines still take the whole table: an ASCII mnemonic beside a Japanese word.
  EXPECT_EQ(NormalizeLine(Sjis("fd 10  みぎ　９０")), "fd 10 rt 90");
}

}  // namespace
}  // namespace kurovel
