// Program lines: the one splitting rule of the editor's loader and kurovel-run.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "engine/limits.h"
#include "language/program_lines.h"

namespace kurovel {
namespace {

using namespace std::string_literals;

TEST(ProgramLines, BreaksNulAndLeadBytes) {
  const struct {
    std::string_view name;
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"empty text", "", {}},
      {"final break adds no line", "fd 1\r\n", {"fd 1"}},
      {"only a break", "\r\n", {""}},
      {"CR LF, lone CR, lone LF", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
      {"NUL drops the rest", "a\r\nb\0c\r\nd"s, {"a", "b"}},
      {"NUL first", "\0a"s, {}},
      {"lead byte before LF is one byte", "\x81\na\nb", {"\x81", "a", "b"}},
      {"lead byte before CR LF is one byte", "\x9f\r\nx", {"\x9f", "x"}},
      {"lead byte before lone CR", "fd 1\xe0\rrt 9", {"fd 1\xe0", "rt 9"}},
      {"corrupt byte keeps the next line", "fd 100\n\x81\nrt 90\n", {"fd 100", "\x81", "rt 90"}},
      {"trail bytes that look like ASCII", "\x83\x5c\n\x81\x7e\x81\x40\n", {"\x83\x5c", "\x81\x7e\x81\x40"}},
      {"lead byte at the very end", "a\n\x82", {"a", "\x82"}},
      {"single-byte katakana is no lead", "\xb1\nx", {"\xb1", "x"}},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgramLines(c.bytes), c.lines) << c.name;
}

TEST(ProgramLines, CutsEachLineTo4096Bytes) {
  const std::string full(kMaxLineBytes, 'a'), short_by_one(kMaxLineBytes - 1, 'd');
  // The last line's double-byte character straddles the limit and is cut in half.
  const std::vector<std::string> expected = {full, full, short_by_one + "\x82"};
  EXPECT_EQ(ProgramLines(full + "bc\r\n" + full + "\n" + short_by_one + "\x82\xa0"), expected);
}

TEST(SplitFileLines, KeepsTheLineAfterTheLastBreak) {
  // The editor shows a final empty line after a final break; the program has none.
  EXPECT_EQ(SplitFileLines("fd 1\r\n"), (std::vector<std::string_view>{"fd 1", ""}));
  EXPECT_EQ(SplitFileLines(""), (std::vector<std::string_view>{""}));
  EXPECT_EQ(ProgramLines("fd 1\r\n"), (std::vector<std::string>{"fd 1"}));
}

}  // namespace
}  // namespace kurovel
