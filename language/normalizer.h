#pragma once
// Turns a line written with Japanese words, full-width blanks and full-width
// digits into the canonical form: single blanks, ASCII digits, ASCII mnemonics.

#include <string>
#include <string_view>
#include <vector>

namespace kurovel {

struct AliasRow {
  std::string searched;     // CP932
  std::string replacement;  // ASCII mnemonic
};

// The 73 rows, applied in order; longer words come before the words they contain.
const std::vector<AliasRow>& AliasTable();

// Any CP932 byte string; never fails.
std::string NormalizeLine(std::string_view line);

// Replaces every non-overlapping occurrence of `searched` that begins at a
// character boundary, scanning from the left.
std::string ReplaceAll(std::string_view text, std::string_view searched, std::string_view replacement);

}  // namespace kurovel
