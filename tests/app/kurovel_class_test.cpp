// kurovel-class: its command line, its PNG pictures, and whole runs of the built
// binary (its path comes in KUROVEL_CLASS) on a folder of good and bad files.

#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/kurovel_class_options.h"
#include "app/png_encoder.h"

namespace kurovel {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string_view>;

TEST(ParseClassArguments, OptionsAndTheirDefaults) {
  const ParsedClassArguments plain = ParseClassArguments(Args{"class"});
  ASSERT_TRUE(plain.options) << plain.error;
  EXPECT_EQ(plain.options->folder, "class");
  EXPECT_EQ(plain.options->max_commands, kClassMaxCommands);
  EXPECT_EQ(plain.options->timeout_seconds, kClassTimeoutSeconds);
  EXPECT_FALSE(plain.options->check_exercise);

  const ParsedClassArguments all = ParseClassArguments(
      Args{"--check", "7", "--size", "640x480", "--max-commands", "500", "--timeout", "0.5", "--report", "r.html", "c"});
  ASSERT_TRUE(all.options) << all.error;
  EXPECT_EQ(all.options->check_exercise, 7);
  EXPECT_EQ(std::pair(all.options->width, all.options->height), std::pair(640, 480));
  EXPECT_EQ(all.options->max_commands, 500u);
  EXPECT_EQ(all.options->timeout_seconds, 0.5);
  EXPECT_EQ(all.options->report_path, "r.html");

  for (const Args& wrong : std::vector<Args>{{}, {"a", "b"}, {"--check", "0", "c"}, {"--check"}, {"--size", "0x5", "c"},
                                              {"--timeout", "0", "c"}, {"--max-commands", "x", "c"}, {"--lines", "c"},
                                              {"--report", "--check", "4", "c"}, {"--check", "1", "--check", "2", "c"}}) {
    EXPECT_FALSE(ParseClassArguments(wrong).options) << (wrong.empty() ? "(nothing)" : wrong[0]);
  }
  EXPECT_TRUE(ParseClassArguments(Args{"--help"}).options->help);
}

TEST(ClassReportPaths, CsvBesideAndFolderNames) {
  EXPECT_EQ(CsvPathBeside("out/r.html"), "out/r.csv");
  EXPECT_EQ(CsvPathBeside("r.htm"), "r.csv");
  EXPECT_EQ(CsvPathBeside("report"), "report.csv");
  EXPECT_EQ(CsvPathBeside(".html"), ".html.csv");
  EXPECT_EQ(FolderName("/school/5-1/"), "5-1");
  EXPECT_EQ(FolderName("/school/5-1"), "5-1");
  EXPECT_EQ(DefaultReportPath("/school/5-1/"), "5-1.html");
}

// The PNG holds exactly the picture's pixels.
TEST(EncodePng, DecodesToThePicture) {
  Picture picture(7, 3);
  picture.SetPixel(0, 0, MakeColor(255, 0, 0));
  picture.SetPixel(6, 2, MakeColor(1, 2, 3));
  picture.SetPixel(3, 1, MakeColor(0, 128, 255));
  const std::string png = EncodePng(picture);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
  EXPECT_EQ(std::pair(image.width, image.height), std::pair(7u, 3u));
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  for (std::int32_t y = 0; y < 3; ++y) {
    for (std::int32_t x = 0; x < 7; ++x) {
      const unsigned char* p = &rgb[static_cast<std::size_t>(y * 7 + x) * 3];
      EXPECT_EQ(MakeColor(p[0], p[1], p[2]), picture.PixelAt(x, y)) << x << "," << y;
    }
  }
}

class KurovelClassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tool = std::getenv("KUROVEL_CLASS");
    ASSERT_NE(tool, nullptr) << "KUROVEL_CLASS must name the kurovel-class binary";
    tool_ = tool;
    std::string pattern = (fs::temp_directory_path() / "kurovel-class-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    fs::create_directories(dir_ / "class" / "sub");
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const fs::path& name, const std::string& bytes) {
    std::ofstream(dir_ / "class" / name, std::ios::binary) << bytes;
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Runs the binary; returns its exit status, standard output in out.
  int Run(const std::vector<std::string>& arguments, std::string& out) {
    std::string command = "'" + tool_ + "'";
    for (const std::string& a : arguments) command += " '" + a + "'";
    const fs::path captured = dir_ / "stdout";
    const int status = std::system((command + " >'" + captured.string() + "' 2>/dev/null").c_str());
    out = Read(captured);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string tool_;
  fs::path dir_;
};

TEST_F(KurovelClassTest, EveryFileGetsItsRow) {
  const std::string square = "repeat 4\nfd 100\nrt 90\nnext\n";
  Write("a.kv", square);
  Write("\x82\xa0.kv", square);  // "あ.kv" named in Shift-JIS
  Write("b.kv", "fd 50\nrt 90\nrepeat abc\nfd 1\nnext\n");
  Write("c.KV", "repeat 4\nfd 100\n");
  Write("d.kv", "repeat 2147483647\nfd 1\nrt 1\nnext\n");
  Write("e.kv", std::string("BM\0\0\x36\x10", 6));
  fs::create_symlink(dir_ / "nowhere.kv", dir_ / "class" / "f.kv");
  Write("notes.txt", square);
  Write("sub/g.kv", square);

  std::string out;
  const fs::path html = dir_ / "out.html";
  ASSERT_EQ(Run({"--check", "1", "--max-commands", "1000", "--report", html.string(), (dir_ / "class").string()}, out), 0);
  EXPECT_EQ(out, "7 本中 2 本が合格（課題１\u3000正方形）\n" + html.string() + "\n" + (dir_ / "out.csv").string() + "\n");

  const std::string csv = Read(dir_ / "out.csv");
  const std::vector<std::string> rows = {
      "\"b.kv\",\"エラー\",\"3 行目：'abc' は整数ではありません.\",\"不合格\",\"形がとじていません（はじめと終わりが 50 はなれています）\",\"2\"",
      "\"c.KV\",\"繰り返しの対が不一致\",\"繰り返しの対(RepeatとNextの数)が一致していません\",\"不合格\",\"まだ線がありません\",\"0\"",
      "\"d.kv\",\"制限で停止\",\"命令が 1000 回に達しました\",\"不合格\",\"角が８つあります。正方形の角は４つです\",\"1000\"",
      "\"e.kv\",\"プログラムではありません\",\"文字ではないデータ（0 のバイト）があります\",\"\",\"\",\"0\"",
      "\"f.kv\",\"読めません\",\"ファイルを読めません\",\"\",\"\",\"0\"",
      "\"a.kv\",\"最後まで実行\",\"\",\"合格\",\"できました！\u3000正方形です（１辺 100）\",\"8\"",
      "\"あ.kv\",\"最後まで実行\",\"\",\"合格\",\"できました！\u3000正方形です（１辺 100）\",\"8\"",
  };
  std::string expected = "\xEF\xBB\xBF\"ファイル\",\"実行\",\"実行の詳細\",\"判定\",\"判定の言葉\",\"命令の数\"\r\n";
  for (const std::string& row : rows) expected += row + "\r\n";
  EXPECT_EQ(csv, expected);

  const std::string report = Read(html);
  std::size_t pictures = 0;
  for (std::size_t at = report.find("data:image/png;base64,"); at != std::string::npos;
       at = report.find("data:image/png;base64,", at + 1)) {
    ++pictures;
  }
  EXPECT_EQ(pictures, 5u);  // every file that ran
}

TEST_F(KurovelClassTest, FailuresOfTheCommandLineTheFolderAndTheReport) {
  std::string out;
  EXPECT_EQ(Run({"--check", "10", (dir_ / "class").string()}, out), 64);
  EXPECT_EQ(Run({(dir_ / "missing").string()}, out), 66);
  EXPECT_EQ(Run({"--report", (dir_ / "no" / "such" / "r.html").string(), (dir_ / "class").string()}, out), 73);
  EXPECT_FALSE(fs::exists(dir_ / "no"));
  EXPECT_EQ(Run({"--help"}, out), 0);
  EXPECT_EQ(out.rfind("usage: kurovel-class", 0), 0u);
}

}  // namespace
}  // namespace kurovel
