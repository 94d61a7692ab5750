// The command line and the program's line splitting of kurovel-run.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/kurovel_run_lines.h"
#include "app/kurovel_run_options.h"

namespace kurovel {
namespace {

struct SizeCase {
  std::string_view text;
  bool valid;
  std::int32_t width;
  std::int32_t height;
};

TEST(ParseSurfaceSize, AcceptsOnlyTwoPlainSidesWithinRange) {
  const SizeCase cases[] = {
      {"361x446", true, 361, 446},
      {"1x1", true, 1, 1},
      {"16384x16384", true, 16384, 16384},
      {"007x08", true, 7, 8},
      {"0x10", false, 0, 0},
      {"10x0", false, 0, 0},
      {"16385x10", false, 0, 0},
      {"10x16385", false, 0, 0},
      {"99999999999999999999999x10", false, 0, 0},
      {"-5x10", false, 0, 0},
      {"+10x10", false, 0, 0},
      {"10x+10", false, 0, 0},
      {"10x", false, 0, 0},
      {"x10", false, 0, 0},
      {"10x10x", false, 0, 0},
      {"10x10x10", false, 0, 0},
      {"10X10", false, 0, 0},
      {" 10x10", false, 0, 0},
      {"10x10 ", false, 0, 0},
      {"10", false, 0, 0},
      {"", false, 0, 0},
      {"0x10x10", false, 0, 0},
  };
  for (const SizeCase& c : cases) {
    const std::optional<SurfaceSize> size = ParseSurfaceSize(c.text);
    ASSERT_EQ(size.has_value(), c.valid) << "'" << c.text << "'";
    if (size) {
      EXPECT_EQ(size->width, c.width) << c.text;
      EXPECT_EQ(size->height, c.height) << c.text;
    }
  }
}

ParsedArguments Parse(std::vector<std::string_view> arguments) { return ParseRunArguments(arguments); }

TEST(ParseRunArguments, ReadsEveryOption) {
  const ParsedArguments parsed = Parse({"--size", "100x50", "--lines", "--bmp", "o.bmp", "--state", "o.json",
                                        "--background", "b.bmp", "p.kv"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  const RunOptions& o = *parsed.options;
  EXPECT_EQ(o.width, 100);
  EXPECT_EQ(o.height, 50);
  EXPECT_TRUE(o.lines);
  EXPECT_EQ(o.bmp_path, "o.bmp");
  EXPECT_EQ(o.state_path, "o.json");
  EXPECT_EQ(o.background_path, "b.bmp");
  EXPECT_EQ(o.program, "p.kv");
  EXPECT_FALSE(o.help);
}

TEST(ParseRunArguments, DefaultsAndProgramForms) {
  const struct {
    std::vector<std::string_view> arguments;
    std::string program;
  } cases[] = {
      {{}, "-"},
      {{"-"}, "-"},
      {{"--", "--odd-name.kv"}, "--odd-name.kv"},
      {{"--lines", "x.kv"}, "x.kv"},
  };
  for (const auto& c : cases) {
    const ParsedArguments parsed = Parse(c.arguments);
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->program, c.program);
    EXPECT_EQ(parsed.options->width, 361);
    EXPECT_EQ(parsed.options->height, 446);
    EXPECT_FALSE(parsed.options->bmp_path);
  }
}

TEST(ParseRunArguments, RefusesBadCommandLines) {
  const std::vector<std::vector<std::string_view>> cases = {
      {"--bogus"},
      {"-l"},
      {"--lines", "--lines"},
      {"--size", "10x10", "--size", "20x20"},
      {"--bmp", "a.bmp", "--bmp", "b.bmp"},
      {"--size"},
      {"--bmp"},
      {"--state", ""},
      {"--size", "0x10"},
      {"a.kv", "b.kv"},
      {"-", "a.kv"},
      {"--bmp", "same", "--state", "same"},
      {"--size=10x10"},
  };
  for (const auto& arguments : cases) {
    const ParsedArguments parsed = Parse(arguments);
    EXPECT_FALSE(parsed.options) << arguments.front();
    EXPECT_FALSE(parsed.error.empty()) << arguments.front();
  }
}

struct SplitCase {
  std::string_view name;
  std::string bytes;
  std::vector<std::string> lines;
};

TEST(SplitProgramLines, BreaksNulAndTrailBytes) {
  const SplitCase cases[] = {
      {"empty text", "", {}},
      {"one line, no break", "fd 1", {"fd 1"}},
      {"final break adds no line", "fd 1\r\n", {"fd 1"}},
      {"only a break", "\r\n", {""}},
      {"CR LF, lone CR, lone LF", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
      {"empty lines kept", "a\r\n\r\nb\r\n", {"a", "", "b"}},
      {"NUL drops the rest", std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},
      {"NUL first", std::string("\0a", 2), {}},
      {"trail byte LF is no break", "\x81\na\nb", {"\x81\na", "b"}},
      {"trail byte CR is no break", "\x9f\r\nx", {"\x9f\r", "x"}},
      {"lead byte at the very end", "a\n\x82", {"a", "\x82"}},
      {"single-byte katakana is no lead", "\xb1\nx", {"\xb1", "x"}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(SplitProgramLines(c.bytes), c.lines) << c.name;
  }
}

TEST(SplitProgramLines, CutsEachLineTo4096Bytes) {
  const std::string longest(kMaxLineBytes, 'a');
  const std::string text = longest + "bc\r\n" + longest + "\n" + std::string(kMaxLineBytes - 1, 'd') + "\x82\xa0";
  const std::vector<std::string> lines = SplitProgramLines(text);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], longest);
  EXPECT_EQ(lines[1], longest);
  // A double-byte character straddling the limit is cut in half.
  EXPECT_EQ(lines[2], std::string(kMaxLineBytes - 1, 'd') + "\x82");
}

}  // namespace
}  // namespace kurovel
