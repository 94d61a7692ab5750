#include "language/normalizer.h"

#include <gtest/gtest.h>

#include <string>

#include "language/cp932.h"

namespace kurovel {
namespace {

struct Case {
  std::string input;     // UTF-8 here, CP932 when normalised
  std::string expected;  // likewise
};

TEST(NormalizeLine, TurnsJapaneseWordsIntoMnemonics) {
  const Case cases[] = {
      {"まえに　１００", "fd 100"},
      {"前に　１００", "fd 100"},
      {"前進　１００", "fd 100"},
      {"前へ　１００", "fd 100"},
      {"後ろに　５０", "bk 50"},
      {"右に　９０", "rt 90"},
      {"左に　９０", "lt 90"},
      {"くりかえし　４", "repeat 4"},
      {"ここまで", "next"},
      {"変数１　２００", "var1 200"},
      {"ふやす　変数１　１０", "inc var1 10"},
      {"位置　２００ １００", "pos 200 100"},
      {"もとのいち", "rp"},
      {"元の位置", "rp"},
      {"元の向き", "rdi"},
      {"ぺんをさげる　３", "Pd 3"},
      {"ペンをさげる　３", "ペンをPd 3"},
      {"ペンを下げる", "Pd"},
      {"下げる", "pd"},
      {"ペンを上げる", "pu"},
      {"割る　変数１　１．５", "div var1 1．5"},
      {"みぎへ９０", "rt90"},
      {"なまえ", "なfd"},
      {"うしろに　１", "bk 1"},
      {"後退", "bk"},
      {"ひだりに", "lt"},
      {"つぎへ", "next"},
      {"おわり", "next"},
      {"さいしょ", "cls"},
      {"やじるし", "sho"},
      {"かける　変数２　３", "mlt var2 3"},
      {"いどう　１　２", "pos 1 2"},
      {"１２３４５６７８９０", "1234567890"},
      {"ＦＤ　１", "ＦＤ 1"},  // full-width letters stay
      {"－１", "－1"},          // so do full-width signs
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormalizeLine(Sjis(c.input)), Sjis(c.expected)) << c.input;
  }
}

TEST(NormalizeLine, BlankRuns) {
  const Case cases[] = {
      {"", ""},
      {" ", ""},
      {"     ", ""},
      {"　　", ""},
      {"　　まえに　１０", "fd 10"},
      {"fd 10　", "fd 10 "},
      {"fd   10    ", "fd 10 "},
      {"FD 100", "FD 100"},
      {"fd\t100", "fd\t100"},
      {"a" + std::string(38, ' ') + "b", "a b"},
      {"a" + std::string(39, ' ') + "b", "a  b"},
      {"a" + std::string(6, ' ') + "b", "a b"},  // five become one, then the two become one
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormalizeLine(Sjis(c.input)), Sjis(c.expected)) << "'" << c.input << "'";
  }
}

TEST(NormalizeLine, MatchesOnlyAtCharacterBoundaries) {
  // 奄 is 89 82 and ﾜ is DC, so 89 82 DC 82 A6 holds the bytes of まえ (82 DC 82 A6)
  // from its second byte on; that is no occurrence.
  const std::string tricky = Sjis("奄ﾜえ");
  ASSERT_EQ(tricky, "\x89\x82\xDC\x82\xA6");
  EXPECT_EQ(NormalizeLine(tricky), tricky);
  EXPECT_EQ(NormalizeLine(Sjis("奄まえ")), Sjis("奄fd"));
}

TEST(ReplaceAll, BoundariesAndNoRescan) {
  struct RawCase {
    std::string text, searched, replacement, expected;
  };
  const RawCase cases[] = {
      {"\x83\x5C\x5C", "\x5C", "/", "\x83\x5C/"},   // ソ then a backslash
      {"\x83\x5C", "\x5C", "/", "\x83\x5C"},
      {"aaaa", "aa", "a", "aa"},                    // replacements are not scanned again
      {"aaa", "aa", "b", "ba"},
      {"abab", "ab", "abab", "abababab"},
      {"xyz", "", "q", "xyz"},
      {"", "a", "b", ""},
      {"a\x81", "\x81", "!", "a!"},                 // a lone lead byte at the end is a character
  };
  for (const RawCase& c : cases) {
    EXPECT_EQ(ReplaceAll(c.text, c.searched, c.replacement), c.expected) << c.text;
  }
}

TEST(AliasTable, HasItsRowsInAnOrderWhereLongerWordsComeFirst) {
  const std::vector<AliasRow>& table = AliasTable();
  ASSERT_EQ(table.size(), 73u);
  EXPECT_EQ(table.front().searched, Sjis("前へ"));
  EXPECT_EQ(table[27].replacement, "Pd");
  EXPECT_EQ(table[31].replacement, "pd");
  EXPECT_EQ(table.back().searched, Sjis("いち"));
  // A word that contains an earlier row's word could never be replaced whole.
  for (std::size_t later = 0; later < table.size(); ++later) {
    for (std::size_t earlier = 0; earlier < later; ++earlier) {
      EXPECT_EQ(ReplaceAll(table[later].searched, table[earlier].searched, "#"), table[later].searched)
          << "row " << later + 1 << " contains row " << earlier + 1;
    }
  }
  // Every word becomes its mnemonic when standing alone.
  for (const AliasRow& row : table) EXPECT_EQ(NormalizeLine(row.searched), row.replacement);
}

}  // namespace
}  // namespace kurovel
