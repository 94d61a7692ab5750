// End-to-end runs of the kurovel-run binary (its path comes in KUROVEL_RUN):
// exit statuses, the JSON state, the BMP pixels and what is (not) written.

#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/color.h"
#include "engine/limits.h"
#include "language/cp932.h"
#include "files/bitmap_file.h"
#include "tests/exercises/exercise_corpus.h"

namespace kurovel {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using Args = std::vector<std::string>;
using namespace std::string_literals;

const std::string kWarning = "繰り返しの対(RepeatとNextの数)が一致していません";
constexpr ColorValue kGreen = MakeColor(0, 255, 0);

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
void WriteFile(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The picture of a BMP file that must hold exactly the runner's format: an
// uncompressed 24-bit bottom-up BMP with the 40-byte information header.
Picture ReadBitmap(const fs::path& path) {
  const std::string bytes = ReadFile(path);
  Picture picture = DecodeBitmap(bytes);
  EXPECT_EQ(bytes, EncodeBitmap(picture));
  return picture;
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
  void TearDown() override { fs::remove_all(dir_); }

  struct Outcome {
    int status = -1;
    std::string out, err;
  };
  // Runs the binary with the arguments and the bytes on standard input.
  Outcome Run(const Args& arguments, const std::string& input = "") {
    const fs::path in = dir_ / ".in", out = dir_ / ".out", err = dir_ / ".err";
    WriteFile(in, input);
    std::string command = Quote(tool_);
    for (const std::string& a : arguments) command += " " + Quote(a);
    const int status = std::system((command + " <" + Quote(in) + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
    Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
    for (const fs::path& p : {in, out, err}) fs::remove(p);
    return outcome;
  }
  static std::string Quote(const std::string& text) {  // for the shell
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
  }
  // Runs a program (CP932 bytes) from standard input and returns the state it wrote.
  json RunState(const std::string& program, Args options, int expected_status) {
    options.insert(options.begin(), {"--state", Path("state.json")});
    const Outcome outcome = Run(options, program);
    EXPECT_EQ(outcome.status, expected_status) << outcome.err;
    return json::parse(ReadFile(Path("state.json")), nullptr, false);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::vector<std::string> Files() const {  // hidden ones included
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string tool_;
  fs::path dir_;
};

TEST_F(KurovelRunTest, StartState) {
  const json state = RunState("", {"--lines", "--bmp", Path("start.bmp")}, 0);
  const json expected = {
      {"width", 361},      {"height", 446},         {"x", 180},         {"y", 223},
      {"heading", 0},      {"pen_down", true},      {"arrow_visible", true},
      {"color_cycle_index", 0}, {"pen_color", 16711680}, {"pen_mode", "copy"},
      {"variables", {10, 10, 10, 10, 10, 10, 10, 10, 10, 10}},
      {"trace", json::array()}, {"trace_omitted", 0}, {"normalized", json::array()}, {"outcome", "ok"},
      {"encoding", "shift_jis"}, {"messages", json::array()},
  };
  EXPECT_EQ(state, expected);
  const Picture bmp = ReadBitmap(Path("start.bmp"));
  ASSERT_EQ(bmp.Pixels().size(), 361u * 446u);
  EXPECT_EQ(bmp.PixelAt(180, 223), clWhite);  // notch and tip are toggled twice
  EXPECT_EQ(bmp.PixelAt(180, 203), clWhite);
  EXPECT_EQ(bmp.PixelAt(181, 224), clRed);    // the segment towards the right wing
  // The arrow that window creation drew at (200, 200) is gone.
  for (std::int32_t y = 180; y < 240; ++y) EXPECT_EQ(bmp.PixelAt(205, y), clWhite) << y;
}

TEST_F(KurovelRunTest, ForwardHundredDrawsBlueWithoutTheEndPixel) {
  const json state = RunState(Sjis("まえに　１００"), {"--lines", "--bmp", Path("fd.bmp")}, 0);
  EXPECT_EQ(state["normalized"], json({"fd 100"}));
  EXPECT_EQ(state["y"], 123);
  const Picture bmp = ReadBitmap(Path("fd.bmp"));
  for (std::int32_t y = 124; y <= 223; ++y) EXPECT_EQ(bmp.PixelAt(180, y), clBlue) << "y=" << y;
  EXPECT_EQ(bmp.PixelAt(180, 123), clWhite);
  EXPECT_EQ(bmp.PixelAt(180, 224), clWhite);
}

TEST_F(KurovelRunTest, ProgramOutcomes) {
  const struct {
    std::string name, program;
    bool lines;
    int status;
    std::string outcome;
    std::vector<std::string> messages;
    std::int32_t x, y, var1;
    json trace;  // null: not checked
  } cases[] = {
      {"nested example", "repeat 2\r\nrepeat 3\r\nfd 10\r\nnext\r\nrt 90\r\nnext\r\n", false, 0, "ok", {}, 210, 193, 10,
       {"rn=2", "0:5:2", "1:3:3", "0:0:", "0:0:", "0:0:", "0:0:", "0:5", "1:3", "0:5", "j=0"}},
      {"Japanese square", Sjis("くりかえし　４\r\n　まえに　１００\r\n　みぎへ　９０\r\nここまで"), false, 0, "ok", {},
       180, 223, 10, nullptr},
      {"division by zero ends the run", "fd 10\ndiv var1 0\nfd 10\n", false, 1, "error",
       {"0 による浮動小数点数除算."}, 180, 213, 10, {"rn=0", "0:0:", "0:0:", "0:0:", "0:0", "j=0", "0::"}},
      {"with --lines only that line ends", "fd 10\ndiv var1 0\nfd 10\n", true, 1, "error",
       {"0 による浮動小数点数除算."}, 180, 203, 10, {"0::"}},
      {"every failing line is recorded", "var1 0\ndiv var1 0\ndiv var2 0\n", true, 1, "error",
       {"不正な浮動小数点数演算命令.", "0 による浮動小数点数除算."}, 180, 223, 0, nullptr},
      {"count that is no integer", "fd 10\nrepeat 4 fd 100\nnext\n", false, 1, "error",
       {"'4fd100' は整数ではありません."}, 180, 213, 10, nullptr},
      {"repeat without next", "repeat 2\nfd 10\n", false, 2, "unbalanced", {kWarning}, 180, 223, 10,
       {"rn=1", "0:0:2", "0:0:", "0:0", "0:0", "j=1"}},
      {"Repeat is no repeat line", "Repeat 4\nfd 10\nnext\n", false, 2, "unbalanced", {kWarning}, 180, 223, 10,
       nullptr},
      {"leading next", "next\nrepeat 2\nfd 10\n", false, 2, "unbalanced", {kWarning}, 180, 223, 10, nullptr},
      {"--lines runs unpaired lines alone", "repeat 2\nfd 10\n", true, 0, "ok", {}, 180, 213, 10, json::array()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const json state = RunState(c.program, c.lines ? Args{"--lines"} : Args{}, c.status);
    EXPECT_EQ(state["outcome"], c.outcome);
    EXPECT_EQ(state["messages"], json(c.messages));
    EXPECT_EQ(state["x"], c.x);
    EXPECT_EQ(state["y"], c.y);
    EXPECT_EQ(state["variables"][0], c.var1);
    if (!c.trace.is_null()) {
      EXPECT_EQ(state["trace"], c.trace);
    }
  }
}

TEST_F(KurovelRunTest, PenAndTextsInTheState) {
  const json state = RunState(Sjis("pd 2\npu\nsho\nvar3 -7\ndiv var1 1.5\nまえに\n"), {"--lines"}, 0);
  const json expected = {{"pen_color", 255}, {"pen_mode", "nop"}, {"pen_down", false}, {"arrow_visible", false},
                         {"trace", {"1.5::"}}};
  for (const auto& [key, value] : expected.items()) EXPECT_EQ(state[key], value) << key;
  EXPECT_EQ(state["variables"][0], 7);
  EXPECT_EQ(state["variables"][2], -7);
  EXPECT_EQ(state["normalized"].back(), "fd");
}

TEST_F(KurovelRunTest, UsageErrorsWriteNothing) {
  WriteFile(Path("a.kv"), "fd 10\n");
  const std::string bmp = Path("out.bmp");
  const std::vector<Args> cases = {
      {"--bogus"}, {"--lines", "--lines"}, {"--size", "0x10"}, {"--size", "16385x10"}, {"--size", "10x10x"},
      {"--size", "+10x10"}, {"--size", "9x9", "--size", "9x9"}, {"--background"}, {Path("a.kv"), "-"},
      {"--bmp", Path("other.bmp")}, {"--state", bmp}, {"--timeout", "0"}, {"--timeout", "-1"},
      {"--timeout", "1e3"}, {"--timeout", "."}, {"--max-commands", "0"}, {"--max-commands", "-5"},
      {"--max-commands", "99999999999999999999"}, {"--check", "0"}, {"--check", "10"}, {"--check", "x"},
      {"--check", "4.0"},
  };
  for (Args arguments : cases) {
    arguments.insert(arguments.begin(), {"--bmp", bmp});
    if (arguments[2] != "--state") arguments.insert(arguments.end(), {"--state", Path("out.json")});
    const Outcome outcome = Run(arguments, "fd 10\n");
    EXPECT_EQ(outcome.status, 64) << arguments[2];
    EXPECT_NE(outcome.err.find("usage: kurovel-run"), std::string::npos) << outcome.err;
  }
  EXPECT_EQ(Files(), Args{"a.kv"});

  const Outcome help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: kurovel-run [--size WxH]", 0), 0u);
}

TEST_F(KurovelRunTest, UnreadableProgramAndUnwritableOutputs) {
  fs::create_directory(Path("folder"));
  WriteFile(Path("old.json"), "old");
  for (const std::string& program : {Path("missing.kv"), Path("folder")}) {
    const Outcome outcome = Run({"--bmp", Path("out.bmp"), "--state", Path("out.json"), program});
    EXPECT_EQ(outcome.status, 66);
    EXPECT_EQ(outcome.err, "ファイル " + program + " は開けません\n");
  }
  // One output that cannot be written keeps the other from being written too.
  for (const Args& arguments : {Args{"--bmp", Path("missing/out.bmp"), "--state", Path("old.json")},
                                Args{"--bmp", Path("new.bmp"), "--state", Path("folder")}}) {
    const Outcome outcome = Run(arguments, "fd 10\n");
    EXPECT_EQ(outcome.status, 73) << arguments[1];
    EXPECT_NE(outcome.err.find("を作成できません"), std::string::npos);
  }
  EXPECT_EQ(ReadFile(Path("old.json")), "old");
  EXPECT_EQ(Files(), (Args{"folder", "old.json"})) << "no temporary file is left";
  EXPECT_TRUE(fs::is_empty(Path("folder")));
}

TEST_F(KurovelRunTest, ProgramBytesReachTheRun) {
  WriteFile(Path("p.kv"), "fd 7\r\n");
  const struct {
    Args arguments;
    std::string input;
    std::vector<std::string> normalized;
  } cases[] = {
      {{"--lines", Path("p.kv")}, "fd 99\n", {"fd 7"}},
      {{"--lines", "-"}, "fd 1\r\nfd 2\rfd 3\n\nfd 4\0fd 5\n"s, {"fd 1", "fd 2", "fd 3", "", "fd 4"}},
      {{"--lines"}, "fd 100\x81\nrt 90\n", {"fd 100\xEF\xBF\xBD", "rt 90"}},  // a break is never a trail byte
  };
  for (const auto& c : cases) EXPECT_EQ(RunState(c.input, c.arguments, 0)["normalized"], json(c.normalized));
}

// Standard input and program files hold at most what the editor takes; an endless
// stream of text ends with the editor's message instead of taking all memory.
TEST_F(KurovelRunTest, ProgramsLargerThanAProgramFileAreRefused) {
  const std::string too_large = "文字列の大きさが メモ の制限を越えました\n";
  const std::string at_limit(static_cast<std::size_t>(kMaxProgramFileBytes), 'a');
  WriteFile(Path("big.kv"), at_limit + "b");
  const struct {
    std::string name;
    Args arguments;
    std::string input;
    int status;
  } cases[] = {
      {"a file one byte too large", {Path("big.kv")}, "", 66},
      {"standard input one byte too large", {"-"}, at_limit + "b", 66},
      {"standard input at the limit", {"--lines", "-"}, at_limit, 0},  // a line of letters does nothing
      {"standard input cut at its NUL", {"--lines", "-"}, "fd 1\n"s + '\0' + at_limit + "b", 0},
  };
  for (const auto& c : cases) {
    const Outcome outcome = Run(c.arguments, c.input);
    EXPECT_EQ(outcome.status, c.status) << c.name;
    EXPECT_EQ(outcome.err == too_large, c.status == 66) << c.name << ": " << outcome.err.substr(0, 200);
  }
  const std::string endless = "yes 'fd 1' | " + Quote(tool_) + " - 2>" + Quote(Path("err"));
  const int status = std::system(endless.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 66) << status;
  EXPECT_EQ(ReadFile(Path("err")), too_large);
}

TEST_F(KurovelRunTest, SurfaceSize) {
  const json state = RunState("fd 5\n", {"--size", "101x50", "--bmp", Path("s.bmp")}, 0);
  EXPECT_EQ(state["width"], 101);
  EXPECT_EQ(state["height"], 50);
  EXPECT_EQ(state["y"], 20);                      // from the centre (50, 25)
  const Picture bmp = ReadBitmap(Path("s.bmp"));  // rows of 303 bytes padded to 304
  EXPECT_EQ(bmp.Pixels().size(), 101u * 50u);
  EXPECT_EQ(bmp.PixelAt(50, 25), clBlue);
}

TEST_F(KurovelRunTest, Background) {
  Picture back(100, 100);
  for (std::int32_t i = 0; i < 100 * 100; ++i) back.SetPixel(i % 100, i / 100, i == 0 ? kGreen : clRed);
  WriteFile(Path("back.bmp"), EncodeBitmap(back));
  const json state = RunState("pu\nfd 100\n", {"--background", Path("back.bmp"), "--bmp", Path("out.bmp")}, 0);
  EXPECT_EQ(state["y"], 123);
  const Picture bmp = ReadBitmap(Path("out.bmp"));
  // 100 x 100 on 361 x 446 lands at (130, 173): 261 / 2 = 130.5 rounds to the even 130.
  const struct {
    std::int32_t x, y;
    ColorValue color;
  } probes[] = {{130, 173, kGreen}, {131, 173, clRed},   {229, 272, clRed},   {230, 272, clWhite},
                {129, 173, clWhite}, {130, 172, clWhite}, {130, 273, clWhite}, {180, 223, clRed}};
  for (const auto& p : probes) EXPECT_EQ(bmp.PixelAt(p.x, p.y), p.color) << p.x << "," << p.y;

  // A background that cannot be read: its error box text, nothing run or written.
  WriteFile(Path("bad.bmp"), "BM this is no bitmap");
  WriteFile(Path("short.bmp"), EncodeBitmap(back).substr(0, 200));
  const std::string invalid = "ビットマップイメージが不正です.\n";
  for (const auto& [file, message] : {std::pair{Path("missing.bmp"), "ファイル " + Path("missing.bmp") + " は開けません.\n"},
                                      std::pair{Path("bad.bmp"), invalid}, std::pair{Path("short.bmp"), invalid}}) {
    const Outcome outcome = Run({"--background", file, "--bmp", Path("o.bmp"), "--state", Path("o.json")}, "fd 1");
    EXPECT_EQ(outcome.status, 1) << file;
    EXPECT_EQ(outcome.err, message);
  }
  EXPECT_FALSE(fs::exists(Path("o.bmp")));
  EXPECT_FALSE(fs::exists(Path("o.json")));
}

// A limit ends the run as Stop does: at the next line, with both outputs written,
// outcome "limit" and exit status 3. Endless programs end within a generous bound.
TEST_F(KurovelRunTest, LimitsEndTheRunAsStopDoes) {
  const std::string square = "repeat 3\nfd 10\nrt 90\nnext\n";
  const std::string endless_inc = "repeat 2147483647\nrepeat 2147483647\ninc var1 1\nnext\nnext\n";
  const std::string endless_fd = "repeat 2147483647\nfd 1\nnext\n";
  const struct {
    const char* name;
    std::string program;
    Args options;
    std::string outcome;
    int status;
    std::int32_t x, y, var1;  // var1 < 0: not checked
  } cases[] = {
      {"command count", square, {"--max-commands", "3"}, "limit", 3, 190, 213, 10},
      {"count above the program", square, {"--max-commands", "7"}, "ok", 0, 190, 223, 10},
      {"count in --lines mode", "fd 10\nfd 10\nfd 10\n", {"--lines", "--max-commands", "2"}, "limit", 3, 180, 203, 10},
      {"inc lines count too", "inc var1 1\ninc var1 1\ninc var1 1\n", {"--max-commands", "2"}, "limit", 3, 180, 223, 12},
      {"time, no turtle command", endless_inc, {"--timeout", "0.3"}, "limit", 3, 180, 223, -1},
      {"time, drawing", endless_fd, {"--timeout", "0.3"}, "limit", 3, 180, -1, 10},
  };
  for (const auto& c : cases) {
    Args options = c.options;
    options.insert(options.end(), {"--bmp", Path("limit.bmp")});
    const auto started = std::chrono::steady_clock::now();
    const json state = RunState(c.program, options, c.status);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60)) << c.name;
    EXPECT_EQ(state["outcome"], c.outcome) << c.name;
    EXPECT_EQ(state["x"], c.x) << c.name;
    if (c.y >= 0) {
      EXPECT_EQ(state["y"], c.y) << c.name;
    }
    if (c.var1 >= 0) {
      EXPECT_EQ(state["variables"][0], c.var1) << c.name;
    }
    EXPECT_TRUE(fs::exists(Path("limit.bmp"))) << c.name;
    fs::remove(Path("limit.bmp"));
  }
}

TEST_F(KurovelRunTest, OutputsNamingOneFileAreAUsageError) {
  fs::create_directory(Path("sub"));
  WriteFile(Path("target.bmp"), "old");
  fs::create_symlink("target.bmp", Path("link.json"));
  const std::vector<Args> cases = {
      {"--bmp", Path("same.out"), "--state", Path("sub/../same.out")},  // yet to be created
      {"--bmp", Path("target.bmp"), "--state", Path("link.json")},
      {"--bmp", Path("link.json"), "--state", Path("./target.bmp")},
  };
  for (const Args& arguments : cases) {
    const Outcome outcome = Run(arguments, "fd 10\n");
    EXPECT_EQ(outcome.status, 64) << arguments[1] << " " << arguments[3];
    EXPECT_NE(outcome.err.find("name the same file"), std::string::npos) << outcome.err;
  }
  EXPECT_EQ(ReadFile(Path("target.bmp")), "old");
  EXPECT_EQ(Files(), (Args{"link.json", "sub", "target.bmp"}));
  EXPECT_EQ(Run({"--bmp", "/dev/null", "--state", "/dev/null"}, "fd 10\n").status, 0);
}

TEST_F(KurovelRunTest, RefusedOutputsLeaveEveryFileAsItWas) {
  WriteFile(Path("keep.bmp"), "old bmp");
  WriteFile(Path("locked.json"), "old json");
  fs::permissions(Path("locked.json"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::create_symlink("loop-b", Path("loop-a"));
  fs::create_symlink("loop-a", Path("loop-b"));
  const struct {
    std::string name;
    Args arguments;
    std::string refused;
  } cases[] = {
      {"a device that fails", {"--bmp", Path("keep.bmp"), "--state", "/dev/full"}, "/dev/full"},
      {"a read-only file", {"--bmp", Path("keep.bmp"), "--state", Path("locked.json")}, Path("locked.json")},
      {"a link loop", {"--bmp", Path("keep.bmp"), "--state", Path("loop-a")}, Path("loop-a")},
  };
  for (const auto& c : cases) {
    const Outcome outcome = Run(c.arguments, "fd 10\n");
    EXPECT_EQ(outcome.status, 73) << c.name;
    EXPECT_EQ(outcome.err, "ファイル " + c.refused + " を作成できません\n") << c.name;
  }
  EXPECT_EQ(ReadFile(Path("keep.bmp")), "old bmp");
  EXPECT_EQ(ReadFile(Path("locked.json")), "old json");
  EXPECT_EQ(fs::status(Path("locked.json")).permissions() & fs::perms::all, fs::perms(0444));
  EXPECT_TRUE(fs::is_symlink(Path("loop-a")));
  EXPECT_EQ(Files(), (Args{"keep.bmp", "locked.json", "loop-a", "loop-b"})) << "no temporary file is left";
}

TEST_F(KurovelRunTest, OutputsThroughDanglingLinksAndWithLongNames) {
  fs::create_directory(Path("out"));
  fs::create_symlink("out/drawing.bmp", Path("dangling.bmp"));
  const std::string longest(255, 'n');
  WriteFile(Path("out/" + longest), "old");
  const json state = RunState("fd 10\n", {"--bmp", Path("dangling.bmp")}, 0);
  EXPECT_EQ(state["y"], 213);
  EXPECT_TRUE(fs::is_symlink(Path("dangling.bmp")));
  EXPECT_EQ(ReadBitmap(Path("out/drawing.bmp")).PixelAt(180, 220), clBlue);

  for (const std::string& name : {std::string(248, 'm'), longest}) {
    const Outcome outcome = Run({"--bmp", Path("out/" + name)}, "fd 10\n");
    EXPECT_EQ(outcome.status, 0) << name.size() << outcome.err;
    EXPECT_EQ(ReadBitmap(Path("out/" + name)).PixelAt(180, 220), clBlue) << name.size();
  }
}

// /dev/stdout on a pipe links to "pipe:[...]", which names no file: the state is
// written through it.
TEST_F(KurovelRunTest, StateToStandardOutputOnAPipe) {
  const std::string command =
      "printf 'fd 10\\n' | " + Quote(tool_) + " --state /dev/stdout - | cat >" + Quote(Path("piped.json"));
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(json::parse(ReadFile(Path("piped.json")), nullptr, false).value("y", 0), 213);
}

// Ended by a signal while an output waits (a pipe with no reader yet): the other
// output's temporary file is removed and nothing is replaced.
TEST_F(KurovelRunTest, SignalsLeaveNoTemporaryFile) {
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  for (const int signal : {SIGTERM, SIGINT}) {
    const std::string program = Path("p.kv"), bmp = Path("out.bmp"), pipe = Path("pipe");
    WriteFile(program, "fd 10\n");
    const char* argv[] = {tool_.c_str(), "--bmp", bmp.c_str(), "--state", pipe.c_str(), program.c_str(), nullptr};
    pid_t child = 0;
    ASSERT_EQ(::posix_spawn(&child, tool_.c_str(), nullptr, nullptr, const_cast<char* const*>(argv), environ), 0);
    const auto has_temporary = [this] {
      const Args names = Files();
      return std::any_of(names.begin(), names.end(), [](const std::string& n) { return n.starts_with(".kv-"); });
    };
    for (int tries = 0; tries < 500 && !has_temporary(); ++tries) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(has_temporary()) << "the BMP is written before the pipe";
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // into the pipe's open
    ::kill(child, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_EQ(Files(), (Args{"p.kv", "pipe"})) << signal;
  }
}

// Programs saved by other editors run as what they are.
TEST_F(KurovelRunTest, ProgramEncodings) {
  const std::string le = "\xFF\xFE" "f\0d\0 \0" "1\0\r\0\n\0" "r\0t\0 \0" "9\0\n\0"s;
  const std::string be = "\xFE\xFF\0f\0d\0 \0" "2\0\n" "\x30\x7E\x30\x48\0\n"s;  // "fd 2", "まえ"
  const struct {
    std::string name, program, encoding;
    std::vector<std::string> normalized;
  } cases[] = {
      {"UTF-8", "まえに　１００\nみぎへ　９０\n", "utf-8", {"fd 100", "rt 90"}},
      {"UTF-8 with a mark", "\xEF\xBB\xBF" "fd 10\nrt 90\n", "utf-8", {"fd 10", "rt 90"}},
      {"UTF-8 beyond Shift-JIS", "fd 1 😀\n", "utf-8", {"fd 1 ?"}},
      {"UTF-16LE", le, "utf-16le", {"fd 1", "rt 9"}},
      {"UTF-16BE", be, "utf-16be", {"fd 2", "fd"}},  // "まえ" is forward
      {"Shift-JIS", Sjis("まえに　１００\r\n"), "shift_jis", {"fd 100"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(Path("p.kv"), c.program);
    const json state = RunState("", {"--lines", Path("p.kv")}, 0);
    EXPECT_EQ(state["encoding"], c.encoding);
    EXPECT_EQ(state["normalized"], json(c.normalized));
    EXPECT_EQ(RunState(c.program, {"--lines"}, 0)["normalized"], json(c.normalized)) << "from standard input";
  }
}

// Every pupil-like program of tests/exercises through --check: the verdict of
// verdicts.tsv in the state, and an exit status that tells it without the state.
TEST_F(KurovelRunTest, CheckGivesEachExerciseProgramItsVerdict) {
  int programs = 0;
  for (const testing::CorpusRow& row : testing::ReadCorpus()) {
    SCOPED_TRACE(row.file);
    const Outcome outcome = Run({"--check", std::to_string(row.exercise), "--state", Path("state.json"),
                                 (testing::kExercisesDir / row.file).string()});
    const json state = json::parse(ReadFile(Path("state.json")), nullptr, false);
    const json expected = {{"exercise", row.exercise}, {"passed", row.passed}, {"message", row.message}};
    EXPECT_EQ(state["check"], expected);
    const std::map<std::string, int> status_of_outcome = {{"ok", row.passed ? 0 : 4}, {"error", 1}, {"unbalanced", 2}};
    EXPECT_EQ(outcome.status, status_of_outcome.at(state["outcome"])) << outcome.err;
    EXPECT_NE(outcome.err.find(row.message), std::string::npos) << outcome.err;
    ++programs;
  }
  EXPECT_GT(programs, 270);
  // Without --check the state has no "check".
  EXPECT_FALSE(RunState("fd 10\n", {}, 0).contains("check"));
}

}  // namespace
}  // namespace kurovel
