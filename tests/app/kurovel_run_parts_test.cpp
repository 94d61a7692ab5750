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
    const std::optional<SurfaceSize> size = ParseSurfaceSize(c.text).value;
    ASSERT_TRUE(size) << c.text;
    EXPECT_EQ(size->width, c.width);
    EXPECT_EQ(size->height, c.height);
  }
  for (const std::string_view text : {"0x10", "10x0", "16385x10", "10x16385", "99999999999999999999999x1", "-5x10",
                                      "+10x10", "10x+10", "10x", "x10", "10x10x", "10x10x10", "10X10", " 10x10",
                                      "10x10 ", "10", ""}) {
    EXPECT_FALSE(ParseSurfaceSize(text).value) << "'" << text << "'";
  }
}

// A refused number says what is wrong with it.
TEST(ParseRunArguments, NumberOptionsSayWhatIsWrong) {
  const std::string tiny = "0." + std::string(400, '0') + "1";
  const struct {
    std::string option, value, error;  // error empty: accepted
  } cases[] = {
      {"--max-commands", "99999999999999999999",
       "bad command count '99999999999999999999': too large: at most 18446744073709551615"},
      {"--max-commands", "18446744073709551616",
       "bad command count '18446744073709551616': too large: at most 18446744073709551615"},
      {"--max-commands", "18446744073709551615", ""},
      {"--max-commands", "0", "bad command count '0': expected a whole number above 0"},
      {"--max-commands", "1.5", "bad command count '1.5': expected a whole number above 0"},
      {"--size", "16385x10", "bad size '16385x10': too large: each side 1 to 16384"},
      {"--size", "10x99999999999999999999999", "bad size '10x99999999999999999999999': too large: each side 1 to 16384"},
      {"--size", "0x10", "bad size '0x10': too small: each side 1 to 16384"},
      {"--size", "10x10x", "bad size '10x10x': expected WxH, each side 1 to 16384"},
      {"--timeout", tiny, "bad timeout '" + tiny + "': too small: it rounds to 0 seconds"},
      {"--timeout", std::string(400, '9'), ""},  // as long as a timeout can be
      {"--timeout", "0.0", "bad timeout '0.0': expected seconds above 0"},
      {"--timeout", "1e3", "bad timeout '1e3': expected seconds above 0"},
  };
  for (const auto& c : cases) {
    const std::vector<std::string_view> arguments = {c.option, c.value};
    EXPECT_EQ(ParseRunArguments(arguments).error, c.error) << c.option << " " << c.value;
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
