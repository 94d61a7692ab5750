// The surface size argument and the output files of kurovel-run.

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

#include "files/output_files.h"
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

TEST(ParseExerciseNumber, OneToNineOnly) {
  for (int n = 1; n <= 9; ++n) EXPECT_EQ(ParseExerciseNumber(std::to_string(n)), n);
  for (const std::string_view text : {"0", "10", "01", "+1", " 1", "1 ", "x", "", "4.0", "-1"}) {
    EXPECT_FALSE(ParseExerciseNumber(text)) << "'" << text << "'";
  }
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
