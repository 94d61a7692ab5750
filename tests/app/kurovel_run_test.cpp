// End-to-end runs of the kurovel-run binary (its path comes in KUROVEL_RUN):
// exit statuses, the JSON state, the BMP pixels and what is (not) written.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "language/cp932.h"

namespace kurovel {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string kWarning = "繰り返しの対(RepeatとNextの数)が一致していません";
constexpr std::uint32_t kBlue = 0x0000ff;  // as 0xRRGGBB
constexpr std::uint32_t kWhite = 0xffffff;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// A 24-bit bottom-up BMP read back, checking the header the runner promises.
struct Bitmap {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> pixels;  // 0xRRGGBB, top row first
  std::uint32_t At(std::int32_t x, std::int32_t y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  }
};

std::uint32_t Le32(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

Bitmap ReadBitmap(const fs::path& path) {
  const std::string b = ReadFile(path);
  Bitmap bmp;
  EXPECT_GE(b.size(), 54u);
  if (b.size() < 54) return bmp;
  EXPECT_EQ(b.substr(0, 2), "BM");
  EXPECT_EQ(Le32(b, 10), 54u);   // pixel data right after the headers
  EXPECT_EQ(Le32(b, 14), 40u);   // the 40-byte information header
  bmp.width = static_cast<std::int32_t>(Le32(b, 18));
  bmp.height = static_cast<std::int32_t>(Le32(b, 22));  // positive: bottom-up
  EXPECT_EQ(Le32(b, 26), 24u << 16 | 1u);  // one plane, 24 bits
  EXPECT_EQ(Le32(b, 30), 0u);             // uncompressed
  const std::size_t stride = (static_cast<std::size_t>(bmp.width) * 3 + 3) / 4 * 4;
  EXPECT_GT(bmp.height, 0);
  EXPECT_EQ(b.size(), 54 + stride * static_cast<std::size_t>(bmp.height));
  EXPECT_EQ(Le32(b, 2), b.size());
  if (bmp.height <= 0 || b.size() != 54 + stride * static_cast<std::size_t>(bmp.height)) return bmp;
  for (std::int32_t y = 0; y < bmp.height; ++y) {
    const std::size_t row = 54 + stride * static_cast<std::size_t>(bmp.height - 1 - y);
    for (std::int32_t x = 0; x < bmp.width; ++x) {
      const std::size_t at = row + 3 * static_cast<std::size_t>(x);  // blue, green, red
      bmp.pixels.push_back(static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
                           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
                           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16);
    }
  }
  return bmp;
}

void PutLe(std::string& b, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

// A 24-bit bottom-up BMP of w x h pixels, every pixel `fill` (0xRRGGBB) except the
// top-left one, which is `corner`.
std::string MakeBitmap(std::uint32_t w, std::uint32_t h, std::uint32_t fill, std::uint32_t corner) {
  const std::uint32_t stride = (w * 3 + 3) / 4 * 4;
  std::string b = "BM";
  PutLe(b, 54 + stride * h, 4);
  PutLe(b, 0, 4);
  PutLe(b, 54, 4);
  for (const std::uint32_t v : {40u, w, h}) PutLe(b, v, 4);
  PutLe(b, 1, 2);
  PutLe(b, 24, 2);
  for (const std::uint32_t v : {0u, stride * h, 3780u, 3780u, 0u, 0u}) PutLe(b, v, 4);
  for (std::uint32_t row = h; row-- > 0;) {  // bottom row first
    for (std::uint32_t x = 0; x < w; ++x) PutLe(b, row == 0 && x == 0 ? corner : fill, 3);
    b.append(stride - w * 3, '\0');
  }
  return b;
}

class KurovelRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tool = std::getenv("KUROVEL_RUN");
    ASSERT_NE(tool, nullptr) << "KUROVEL_RUN must name the kurovel-run binary";
    tool_ = tool;
    std::string pattern = (fs::temp_directory_path() / "kurovel-run-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::owner_all, ignored);
    fs::remove_all(dir_, ignored);
  }

  // Runs the binary with the arguments, the given bytes on standard input.
  Outcome Run(const std::vector<std::string>& arguments, const std::string& input = "") {
    const fs::path in = dir_ / ".stdin", out = dir_ / ".stdout", err = dir_ / ".stderr";
    WriteFile(in, input);
    std::vector<std::string> argv_strings{tool_};
    argv_strings.insert(argv_strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : argv_strings) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (!std::freopen(in.c_str(), "rb", stdin) || !std::freopen(out.c_str(), "wb", stdout) ||
          !std::freopen(err.c_str(), "wb", stderr)) {
        ::_exit(127);
      }
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    int wait_status = 0;
    EXPECT_EQ(::waitpid(pid, &wait_status, 0), pid);
    Outcome outcome;
    outcome.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    outcome.out = ReadFile(out);
    outcome.err = ReadFile(err);
    for (const fs::path& p : {in, out, err}) fs::remove(p);
    return outcome;
  }

  // Runs a program (CP932 bytes) given on standard input and returns its state.
  nlohmann::json RunState(const std::string& program, std::vector<std::string> options, int expected_status) {
    options.insert(options.end(), {"--state", Path("state.json")});
    const Outcome outcome = Run(options, program);
    EXPECT_EQ(outcome.status, expected_status) << outcome.err;
    return nlohmann::json::parse(ReadFile(Path("state.json")), nullptr, false);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  // Every file of the folder, hidden ones included, apart from the test's own.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    return names;
  }

  std::string tool_;
  fs::path dir_;
};

TEST_F(KurovelRunTest, StartStateWithAnEmptyProgram) {
  const nlohmann::json state = RunState("", {"--lines", "--bmp", Path("start.bmp")}, 0);
  const nlohmann::json expected = {
      {"width", 361},         {"height", 446},      {"x", 180},
      {"y", 223},             {"heading", 0},       {"pen_down", true},
      {"arrow_visible", true}, {"color_cycle_index", 0}, {"pen_color", 16711680},
      {"pen_mode", "copy"},   {"variables", {10, 10, 10, 10, 10, 10, 10, 10, 10, 10}},
      {"trace", nlohmann::json::array()}, {"normalized", nlohmann::json::array()},
      {"outcome", "ok"},      {"messages", nlohmann::json::array()},
  };
  EXPECT_EQ(state, expected);
  // Only the arrow at the centre is red-ish; the old place (200, 200) of the
  // creation-time arrow is white again. The wing segments are drawn, the tip and
  // the notch pixels are toggled twice.
  const Bitmap bmp = ReadBitmap(Path("start.bmp"));
  ASSERT_EQ(bmp.width, 361);
  ASSERT_EQ(bmp.height, 446);
  int non_white = 0;
  for (const std::uint32_t p : bmp.pixels) non_white += p != kWhite;
  EXPECT_GT(non_white, 40);
  EXPECT_EQ(bmp.At(180, 223), kWhite);
  EXPECT_EQ(bmp.At(180, 203), kWhite);
  EXPECT_NE(bmp.At(181, 224), kWhite);  // first pixel after the notch towards the right wing
  for (std::int32_t y = 180; y < 240; ++y) EXPECT_EQ(bmp.At(200 + 5, y), kWhite) << y;
}

TEST_F(KurovelRunTest, ForwardHundredDrawsBlueWithoutTheEndPixel) {
  const std::string bmp_path = Path("fd.bmp");
  const nlohmann::json state = RunState(Sjis("まえに　１００"), {"--lines", "--bmp", bmp_path}, 0);
  EXPECT_EQ(state["normalized"], nlohmann::json({"fd 100"}));
  EXPECT_EQ(state["x"], 180);
  EXPECT_EQ(state["y"], 123);
  const Bitmap bmp = ReadBitmap(bmp_path);
  ASSERT_EQ(bmp.pixels.size(), 361u * 446u);
  for (std::int32_t y = 124; y <= 223; ++y) EXPECT_EQ(bmp.At(180, y), kBlue) << "y=" << y;
  EXPECT_EQ(bmp.At(180, 123), kWhite);  // the end pixel (and the arrow's notch)
  EXPECT_EQ(bmp.At(180, 224), kWhite);
}

TEST_F(KurovelRunTest, NestedRepeatExampleTraceAndResult) {
  const nlohmann::json state =
      RunState("repeat 2\r\nrepeat 3\r\nfd 10\r\nnext\r\nrt 90\r\nnext\r\n", {}, 0);
  EXPECT_EQ(state["trace"], nlohmann::json({"rn=2", "0:5:2", "1:3:3", "0:0:", "0:0:", "0:0:", "0:0:", "0:5",
                                            "1:3", "0:5", "j=0"}));
  // Three moves of 10 up, a turn, three moves of 10 to the right, a turn.
  EXPECT_EQ(state["x"], 180 + 30);
  EXPECT_EQ(state["y"], 223 - 30);
  EXPECT_EQ(state["heading"], 180);
  EXPECT_EQ(state["outcome"], "ok");
}

TEST_F(KurovelRunTest, JapaneseSquareProgram) {
  const std::string program = Sjis("くりかえし　４\r\n　まえに　１００\r\n　みぎへ　９０\r\nここまで\r\n");
  const nlohmann::json state = RunState(program, {}, 0);
  EXPECT_EQ(state["normalized"], nlohmann::json({"repeat 4", "fd 100", "rt 90", "next"}));
  EXPECT_EQ(state["x"], 180);
  EXPECT_EQ(state["y"], 223);
  EXPECT_EQ(state["heading"], 360);
}

struct ErrorCase {
  std::string name;
  std::string program;
  bool lines;
  int status;
  std::string outcome;
  std::vector<std::string> messages;
  std::int32_t y;  // where the turtle ended: shows which lines ran
  std::int32_t var1;
};

TEST_F(KurovelRunTest, ErrorsAndUnbalancedPrograms) {
  const std::vector<ErrorCase> cases = {
      {"division by zero ends the run", "fd 10\ndiv var1 0\nfd 10\n", false, 1, "error",
       {"0 による浮動小数点数除算."}, 213, 10},
      {"with --lines only that line ends", "fd 10\ndiv var1 0\nfd 10\n", true, 1, "error",
       {"0 による浮動小数点数除算."}, 203, 10},
      {"each failing line is recorded", "var1 0\ndiv var1 0\ndiv var2 0\n", true, 1, "error",
       {"不正な浮動小数点数演算命令.", "0 による浮動小数点数除算."}, 223, 0},
      {"count that is no integer, after earlier lines", "fd 10\nrepeat 4 fd 100\nnext\n", false, 1, "error",
       {"'4fd100' は整数ではありません."}, 213, 10},
      {"repeat without next", "fd 10\nrepeat 2\nfd 10\n", false, 2, "unbalanced", {kWarning}, 223, 10},
      {"Repeat is no repeat line", "Repeat 4\nfd 10\nnext\n", false, 2, "unbalanced", {kWarning}, 223, 10},
      {"leading next", "next\nrepeat 2\nfd 10\n", false, 2, "unbalanced", {kWarning}, 223, 10},
      {"unbalanced lines run alone with --lines", "repeat 2\nfd 10\n", true, 0, "ok", {}, 213, 10},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> options;
    if (c.lines) options.push_back("--lines");
    const nlohmann::json state = RunState(c.program, options, c.status);
    EXPECT_EQ(state["outcome"], c.outcome);
    EXPECT_EQ(state["messages"], nlohmann::json(c.messages));
    EXPECT_EQ(state["y"], c.y);
    EXPECT_EQ(state["variables"][0], c.var1);
  }
}

TEST_F(KurovelRunTest, UnbalancedProgramStillWritesItsTrace) {
  const nlohmann::json state = RunState("repeat 2\nfd 10\n", {}, 2);
  EXPECT_EQ(state["trace"], nlohmann::json({"rn=1", "0:0:2", "0:0:", "0:0", "0:0", "j=1"}));
  EXPECT_EQ(state["normalized"], nlohmann::json({"repeat 2", "fd 10"}));
}

TEST_F(KurovelRunTest, UsageErrorsWriteNothing) {
  WriteFile(Path("a.kv"), "fd 10\n");
  WriteFile(Path("b.kv"), "fd 10\n");
  const std::string bmp = Path("out.bmp"), json = Path("out.json");
  const std::vector<std::vector<std::string>> cases = {
      {"--bmp", bmp, "--state", json, "--bogus"},
      {"--bmp", bmp, "--state", json, "--lines", "--lines"},
      {"--bmp", bmp, "--state", json, "--size", "0x10"},
      {"--bmp", bmp, "--state", json, "--size", "10x0"},
      {"--bmp", bmp, "--state", json, "--size", "-5x10"},
      {"--bmp", bmp, "--state", json, "--size", "16385x10"},
      {"--bmp", bmp, "--state", json, "--size", "10x16385"},
      {"--bmp", bmp, "--state", json, "--size", "10x"},
      {"--bmp", bmp, "--state", json, "--size", "x10"},
      {"--bmp", bmp, "--state", json, "--size", "10x10x"},
      {"--bmp", bmp, "--state", json, "--size", "+10x10"},
      {"--bmp", bmp, "--state", json, "--size", "10x10", "--size", "10x10"},
      {"--bmp", bmp, "--state", json, "--background"},
      {"--bmp", bmp, "--state", json, Path("a.kv"), Path("b.kv")},
      {"--bmp", bmp, "--state", json, "--bmp", Path("other.bmp")},
      {"--bmp", bmp, "--state", bmp},
  };
  for (const auto& arguments : cases) {
    const Outcome outcome = Run(arguments, "fd 10\n");
    EXPECT_EQ(outcome.status, 64) << arguments[4];
    EXPECT_NE(outcome.err.find("usage: kurovel-run"), std::string::npos) << outcome.err;
    EXPECT_TRUE(outcome.out.empty());
  }
  std::vector<std::string> files = Files();
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"a.kv", "b.kv"})) << "nothing else written";
}

TEST_F(KurovelRunTest, HelpPrintsUsage) {
  const Outcome outcome = Run({"--help"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.out.find("usage: kurovel-run [--size WxH]"), std::string::npos);
  EXPECT_TRUE(outcome.err.empty());
}

TEST_F(KurovelRunTest, UnreadableProgram) {
  fs::create_directory(Path("folder"));
  for (const std::string& program : {Path("missing.kv"), Path("folder")}) {
    const Outcome outcome = Run({"--bmp", Path("out.bmp"), "--state", Path("out.json"), program});
    EXPECT_EQ(outcome.status, 66);
    EXPECT_EQ(outcome.err, "ファイル " + program + " は開けません\n");
  }
  EXPECT_EQ(Files(), std::vector<std::string>{"folder"});
}

TEST_F(KurovelRunTest, UnwritableOutputWritesNoOtherOutputEither) {
  fs::create_directory(Path("folder"));
  WriteFile(Path("old.json"), "old");
  const std::vector<std::vector<std::string>> cases = {
      {"--bmp", Path("missing/out.bmp"), "--state", Path("old.json")},
      {"--state", Path("old.json"), "--bmp", Path("folder")},
  };
  for (const auto& arguments : cases) {
    const Outcome outcome = Run(arguments, "fd 10\n");
    EXPECT_EQ(outcome.status, 73) << arguments[1];
    EXPECT_NE(outcome.err.find("を作成できません"), std::string::npos);
  }
  EXPECT_EQ(ReadFile(Path("old.json")), "old");
  std::vector<std::string> files = Files();
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"folder", "old.json"})) << "no temporary file left";
  EXPECT_TRUE(fs::is_empty(Path("folder")));
}

TEST_F(KurovelRunTest, ProgramFromFileFromDashAndFromStandardInput) {
  WriteFile(Path("p.kv"), "fd 7\r\n");
  const struct {
    std::vector<std::string> arguments;
    std::string input;
  } cases[] = {
      {{Path("p.kv")}, "fd 99\n"},
      {{"-"}, "fd 7\n"},
      {{}, "fd 7"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"--state", Path("s.json")};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    EXPECT_EQ(Run(arguments, c.input).status, 0);
    const nlohmann::json state = nlohmann::json::parse(ReadFile(Path("s.json")));
    EXPECT_EQ(state["y"], 216) << c.input;
  }
}

TEST_F(KurovelRunTest, LineBreaksNulAndTheLineLimit) {
  const std::string blanks(4091, ' ');
  const struct {
    std::string name;
    std::string program;
    std::vector<std::string> normalized;
  } cases[] = {
      {"breaks", "fd 1\r\nfd 2\rfd 3\n\nfd 4\0fd 5\n"s, {"fd 1", "fd 2", "fd 3", "", "fd 4"}},
      {"trail byte before LF", "a\x81\nfd 2\n", {"a\xEF\xBF\xBD\nfd 2"}},
      {"line of 4096 bytes", std::string(4090, ' ') + "fd 123", {"fd 123"}},
      {"line of 4097 bytes", blanks + "fd 123\nfd 1", {"fd 12", "fd 1"}},
  };
  for (const auto& c : cases) {
    const nlohmann::json state = RunState(c.program, {"--lines"}, 0);
    EXPECT_EQ(state["normalized"], nlohmann::json(c.normalized)) << c.name;
  }
}

TEST_F(KurovelRunTest, SurfaceSizeShapesTheCentreAndThePicture) {
  const nlohmann::json state = RunState("fd 5\n", {"--size", "101x50", "--bmp", Path("s.bmp")}, 0);
  EXPECT_EQ(state["width"], 101);
  EXPECT_EQ(state["height"], 50);
  EXPECT_EQ(state["x"], 50);
  EXPECT_EQ(state["y"], 20);
  const Bitmap bmp = ReadBitmap(Path("s.bmp"));
  EXPECT_EQ(bmp.width, 101);  // a row of 303 bytes padded to 304
  EXPECT_EQ(bmp.height, 50);
  ASSERT_EQ(bmp.pixels.size(), 101u * 50u);
  EXPECT_EQ(bmp.At(50, 25), kBlue);
}

TEST_F(KurovelRunTest, PenColourModeAndTextsInTheState) {
  const nlohmann::json state =
      RunState(Sjis("pd 2\npu\nsho\nvar3 -7\ndiv var1 1.5\nまえに\n"), {"--lines"}, 0);
  EXPECT_EQ(state["pen_color"], 255);
  EXPECT_EQ(state["pen_mode"], "nop");
  EXPECT_EQ(state["pen_down"], false);
  EXPECT_EQ(state["arrow_visible"], false);
  EXPECT_EQ(state["variables"][0], 7);
  EXPECT_EQ(state["variables"][2], -7);
  EXPECT_EQ(state["trace"], nlohmann::json({"1.5::"}));
  EXPECT_EQ(state["normalized"].back(), "fd");
}

TEST_F(KurovelRunTest, BackgroundIsLaidCentredBeforeTheRun) {
  constexpr std::uint32_t kRed = 0xff0000, kGreen = 0x00ff00;
  WriteFile(Path("back.bmp"), MakeBitmap(100, 100, kRed, kGreen));
  const nlohmann::json state =
      RunState("pu\nfd 100\n", {"--background", Path("back.bmp"), "--bmp", Path("out.bmp")}, 0);
  EXPECT_EQ(state["y"], 123);
  const Bitmap bmp = ReadBitmap(Path("out.bmp"));
  ASSERT_EQ(bmp.pixels.size(), 361u * 446u);
  // 100 x 100 on 361 x 446: (261 / 2 = 130.5 rounds to 130, 346 / 2 = 173).
  const struct {
    std::int32_t x, y;
    std::uint32_t color;
  } probes[] = {
      {130, 173, kGreen}, {131, 173, kRed},   {229, 173, kRed},   {230, 173, kWhite}, {129, 173, kWhite},
      {130, 172, kWhite}, {130, 272, kRed},   {130, 273, kWhite}, {229, 272, kRed},   {180, 223, kRed},
  };
  for (const auto& p : probes) EXPECT_EQ(bmp.At(p.x, p.y), p.color) << p.x << "," << p.y;
}

TEST_F(KurovelRunTest, BadBackgroundRunsAndWritesNothing) {
  WriteFile(Path("bad.bmp"), "BM this is no bitmap");
  WriteFile(Path("short.bmp"), MakeBitmap(10, 10, 0, 0).substr(0, 200));
  const struct {
    std::string file;
    std::string message;
  } cases[] = {
      {Path("missing.bmp"), "ファイル " + Path("missing.bmp") + " は開けません.\n"},
      {Path("bad.bmp"), "ビットマップイメージが不正です.\n"},
      {Path("short.bmp"), "ビットマップイメージが不正です.\n"},
  };
  for (const auto& c : cases) {
    const Outcome outcome =
        Run({"--background", c.file, "--bmp", Path("out.bmp"), "--state", Path("out.json")}, "fd 10\n");
    EXPECT_EQ(outcome.status, 1) << c.file;
    EXPECT_EQ(outcome.err, c.message);
  }
  EXPECT_FALSE(fs::exists(Path("out.bmp")));
  EXPECT_FALSE(fs::exists(Path("out.json")));
}

}  // namespace
}  // namespace kurovel
