// The surface size argument and the line splitting of kurovel-run.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <string>
#include <string_view>
#include <vector>

#include "app/kurovel_run_files.h"
#include "app/kurovel_run_lines.h"
#include "app/kurovel_run_options.h"

namespace kurovel {
namespace {

using namespace std::string_literals;

TEST(ParseSurfaceSize, OnlyTwoPlainSidesWithinRange) {
  const struct {
    std::string_view text;
    std::int32_t width, height;
  } valid[] = {{"361x446", 361, 446}, {"1x1", 1, 1}, {"16384x16384", 16384, 16384}, {"007x08", 7, 8}};
  for (const auto& c : valid) {
    const std::optional<SurfaceSize> size = ParseSurfaceSize(c.text);
    ASSERT_TRUE(size) << c.text;
    EXPECT_EQ(size->width, c.width);
    EXPECT_EQ(size->height, c.height);
  }
  for (const std::string_view text : {"0x10", "10x0", "16385x10", "10x16385", "99999999999999999999999x1", "-5x10",
                                      "+10x10", "10x+10", "10x", "x10", "10x10x", "10x10x10", "10X10", " 10x10",
                                      "10x10 ", "10", ""}) {
    EXPECT_FALSE(ParseSurfaceSize(text)) << "'" << text << "'";
  }
}

TEST(SplitProgramLines, BreaksNulAndTrailBytes) {
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
      {"trail byte LF is no break", "\x81\na\nb", {"\x81\na", "b"}},
      {"trail byte CR is no break", "\x9f\r\nx", {"\x9f\r", "x"}},
      {"lead byte at the very end", "a\n\x82", {"a", "\x82"}},
      {"single-byte katakana is no lead", "\xb1\nx", {"\xb1", "x"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitProgramLines(c.bytes), c.lines) << c.name;
}

TEST(SplitProgramLines, CutsEachLineTo4096Bytes) {
  const std::string full(kMaxLineBytes, 'a'), short_by_one(kMaxLineBytes - 1, 'd');
  // The last line's double-byte character straddles the limit and is cut in half.
  const std::vector<std::string> expected = {full, full, short_by_one + "\x82"};
  EXPECT_EQ(SplitProgramLines(full + "bc\r\n" + full + "\n" + short_by_one + "\x82\xa0"), expected);
}

// Outputs named through a link or naming a pipe (such as /dev/stdout) receive the
// bytes; renaming over them would replace the link or the pipe with a plain file.
TEST(WriteOutputFiles, WritesThroughLinksAndIntoPipes) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("kurovel-out-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const fs::path target = folder / "target.json", link = folder / "link.json", pipe = folder / "pipe";
  std::ofstream(target) << "old";
  fs::create_symlink(target, link);
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);

  EXPECT_EQ(WriteOutputFiles({{link.string(), "{}"}, {pipe.string(), "piped"}}), std::nullopt);

  EXPECT_TRUE(fs::is_symlink(link));
  std::stringstream written;
  written << std::ifstream(target).rdbuf();
  EXPECT_EQ(written.str(), "{}");
  EXPECT_TRUE(fs::is_fifo(pipe));
  char buffer[16] = {};
  EXPECT_EQ(::read(reader, buffer, sizeof buffer), 5);
  EXPECT_EQ(std::string(buffer), "piped");
  ::close(reader);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace kurovel
