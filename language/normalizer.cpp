// The normaliser: a fixed sequence of replace-all steps over CP932 bytes.

#include "language/normalizer.h"

#include <algorithm>
#include <array>
#include <utility>

#include "language/cp932.h"

namespace kurovel {
namespace {

// Searched word (UTF-8 here, CP932 at run time) and its mnemonic, in the order
// they are applied. A longer word always precedes the shorter words it contains.
constexpr std::pair<std::string_view, std::string_view> kAliasRows[] = {
    {"前へ", "fd"},           {"まえへ", "fd"},         {"前に", "fd"},           {"まえに", "fd"},
    {"まえ", "fd"},           {"前進", "fd"},           {"前", "fd"},

    {"後ろへ", "bk"},         {"うしろへ", "bk"},       {"後ろに", "bk"},         {"後ろ", "bk"},
    {"うしろに", "bk"},       {"後退", "bk"},           {"うしろ", "bk"},         {"後", "bk"},

    {"右へ", "rt"},           {"みぎへ", "rt"},         {"右に", "rt"},           {"みぎに", "rt"},
    {"みぎ", "rt"},           {"右", "rt"},

    {"左へ", "lt"},           {"ひだりへ", "lt"},       {"左に", "lt"},           {"ひだりに", "lt"},
    {"ひだり", "lt"},         {"左", "lt"},

    // The capital P is intended: every reader of the pen-down word ignores case.
    {"ぺんを下げる", "Pd"},   {"ペンを下げる", "Pd"},   {"ぺんをさげる", "Pd"},   {"さげる", "Pd"},
    {"下げる", "pd"},

    {"ペンを上げる", "pu"},   {"ぺんを上げる", "pu"},   {"ぺんをあげる", "pu"},   {"ペンをあげる", "pu"},
    {"上げる", "pu"},         {"あげる", "pu"},

    {"繰り返し", "repeat"},   {"繰り返せ", "repeat"},   {"くりかえし", "repeat"}, {"くりかえせ", "repeat"},

    {"次へ", "next"},         {"つぎへ", "next"},       {"次", "next"},           {"つぎ", "next"},
    {"ここまで", "next"},     {"これまで", "next"},     {"終わり", "next"},       {"おわり", "next"},

    {"消す", "cls"},          {"けす", "cls"},          {"さいしょ", "cls"},      {"最初", "cls"},

    // Before the "pos" rows, so that these do not end as a text ending in "pos".
    {"元の位置", "rp"},       {"もとのいち", "rp"},

    {"元の向き", "rdi"},      {"もとのむき", "rdi"},

    {"矢印", "sho"},          {"やじるし", "sho"},

    {"変数", "var"},

    {"増やす", "inc"},        {"ふやす", "inc"},

    {"減らす", "dec"},        {"へらす", "dec"},

    {"掛ける", "mlt"},        {"かける", "mlt"},

    {"割る", "div"},          {"わる", "div"},

    {"移動", "pos"},          {"いどう", "pos"},        {"位置", "pos"},          {"いち", "pos"},
};

// Full-width digits in the order they are replaced: 1 to 9, then 0.
constexpr std::pair<std::string_view, std::string_view> kDigitRows[] = {
    {"１", "1"}, {"２", "2"}, {"３", "3"}, {"４", "4"}, {"５", "5"},
    {"６", "6"}, {"７", "7"}, {"８", "8"}, {"９", "9"}, {"０", "0"},
};

// Blank runs are shortened longest first, one pass each.
constexpr std::string_view kBlankRuns[] = {"     ", "    ", "   ", "  "};

std::vector<AliasRow> ConvertRows(const auto& rows) {
  std::vector<AliasRow> converted;
  converted.reserve(std::size(rows));
  for (const auto& [searched, replacement] : rows) {
    converted.push_back({Sjis(searched), std::string(replacement)});
  }
  return converted;
}

const std::vector<AliasRow>& DigitTable() {
  static const std::vector<AliasRow> table = ConvertRows(kDigitRows);
  return table;
}

const std::string& FullWidthBlank() {
  static const std::string blank = Sjis("　");
  return blank;
}

// Replace-all on the text in place; the text stays untouched when nothing matches.
void ReplaceInPlace(std::string& text, std::string_view searched, std::string_view replacement) {
  if (searched.empty() || text.find(searched) == std::string::npos) return;
  text = ReplaceAll(text, searched, replacement);
}

}  // namespace

const std::vector<AliasRow>& AliasTable() {
  static const std::vector<AliasRow> table = ConvertRows(kAliasRows);
  return table;
}

std::string ReplaceAll(std::string_view text, std::string_view searched, std::string_view replacement) {
  if (searched.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text.compare(pos, searched.size(), searched) == 0) {
      out += replacement;
      pos += searched.size();
    } else {
      // Step over a whole character, so that a match never begins at a trail byte.
      const std::size_t length = CharLength(text, pos);
      out.append(text, pos, length);
      pos += length;
    }
  }
  return out;
}

std::string NormalizeLine(std::string_view line) {
  std::string text(line);
  ReplaceInPlace(text, FullWidthBlank(), " ");
  for (std::string_view run : kBlankRuns) ReplaceInPlace(text, run, " ");
  const std::size_t first = text.find_first_not_of(' ');
  text.erase(0, first == std::string::npos ? text.size() : first);
  // Every digit and alias word is double-byte, and every replacement plain ASCII,
  // so a text of ASCII bytes alone (most lines of most programs) is already done.
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return text;
  }
  for (const AliasRow& row : DigitTable()) ReplaceInPlace(text, row.searched, row.replacement);
  for (const AliasRow& row : AliasTable()) ReplaceInPlace(text, row.searched, row.replacement);
  return text;
}

}  // namespace kurovel
