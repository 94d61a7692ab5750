// One program of the class report rendered from its file's bytes: how the run
// ended, the verdict, the commands and the drawing, for each way a file can be.

#include <gtest/gtest.h>

#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "controllers/class_render.h"
#include "engine/color.h"

namespace kurovel {
namespace {

using Sizes = std::vector<std::pair<std::int32_t, std::int32_t>>;

struct RenderCase {
  const char* name;
  std::string bytes;
  ClassOutcome outcome;
  std::string detail;
  std::uint64_t commands;
  std::optional<bool> passed;  // with the square checked
  bool drawn;
};

TEST(RenderProgramBytes, GivesEachFileItsRowAndDrawing) {
  ClassSettings settings;
  settings.max_commands = 1000;
  settings.exercise = FindExercise(1);
  const std::string square = "repeat 4\nfd 100\nrt 90\nnext\n";
  const std::vector<RenderCase> cases = {
      {"Shift-JIS", "\x82\xDC\x82\xA6\x82\xC9\x81\x40\x82\x50\x82\x4F\x82\x4F\r\n", ClassOutcome::kFinished, "", 1,
       false, true},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + square, ClassOutcome::kFinished, "", 8, true, true},
      {"UTF-16", std::string("\xFF\xFE" "f\0d\0 \0" "5\0", 10), ClassOutcome::kFinished, "", 1, false, true},
      {"empty", "", ClassOutcome::kFinished, "", 0, false, true},
      {"an error", "fd 50\nrt 90\nrepeat abc\nfd 1\nnext\n", ClassOutcome::kError,
       "3 行目：'abc' は整数ではありません.", 2, false, true},
      {"unbalanced", "repeat 4\nfd 100\n", ClassOutcome::kUnbalanced,
       "繰り返しの対(RepeatとNextの数)が一致していません", 0, false, true},
      {"endless", "repeat 2147483647\nfd 1\nrt 1\nnext\n", ClassOutcome::kLimit, "命令が 1000 回に達しました", 1000,
       false, true},
      {"no text", std::string("BM\0\0\x36", 5), ClassOutcome::kNotAProgram,
       "文字ではないデータ（0 のバイト）があります", 0, std::nullopt, false},
      {"too large", std::string(static_cast<std::size_t>(kMaxProgramFileBytes) + 1, 'a'), ClassOutcome::kNotAProgram,
       "ファイルが大きすぎます", 0, std::nullopt, false},
  };
  for (const RenderCase& c : cases) {
    SCOPED_TRACE(c.name);
    Sizes drawings;
    const ClassReportRow row = RenderProgramBytes("p.kv", c.bytes, settings, [&](const Picture& drawing, ClassReportRow&) {
      drawings.emplace_back(drawing.Width(), drawing.Height());
    });
    EXPECT_EQ(row.file_name, "p.kv");
    EXPECT_EQ(row.outcome, c.outcome);
    EXPECT_EQ(row.detail, c.detail);
    EXPECT_EQ(row.commands, c.commands);
    EXPECT_EQ(row.verdict ? std::optional(row.verdict->passed) : std::nullopt, c.passed);
    const Sizes expected = c.drawn ? Sizes{{kDefaultSurfaceWidth, kDefaultSurfaceHeight}} : Sizes{};
    EXPECT_EQ(drawings, expected);
  }
}

// What fails while the drawing is kept (such as out of memory) gives the crash's row.
TEST(RenderProgramBytes, AFailureWhileKeepingTheDrawingIsReported) {
  const ClassReportRow row = RenderProgramBytes("p.kv", "fd 10", ClassSettings{}, [](const Picture&, ClassReportRow& row) {
    row.png = "half";
    throw std::bad_alloc();
  });
  EXPECT_EQ(row.outcome, ClassOutcome::kCrashed);
  EXPECT_EQ(row.file_name, "p.kv");
  EXPECT_TRUE(row.png.empty());
}

// A time limit ends a loop that runs no command; every run starts from the start
// state, so one program's pen does not reach the next.
TEST(RenderProgramBytes, TimeLimitAndAFreshSessionEachTime) {
  ClassSettings settings;
  settings.timeout_seconds = 0.05;
  settings.width = 40;
  settings.height = 30;
  const auto ignore = [](const Picture&, ClassReportRow&) {};
  const ClassReportRow idle =
      RenderProgramBytes("idle.kv", "repeat 2147483647\nrepeat 2147483647\nnext\nnext\n", settings, ignore);
  EXPECT_EQ(idle.outcome, ClassOutcome::kLimit);
  EXPECT_EQ(idle.detail, "時間切れ（0.05 秒）");

  RenderProgramBytes("wide.kv", "pd 5\nfd 10\n", settings, ignore);
  Picture line;
  RenderProgramBytes("line.kv", "ht\nfd 10\n", settings, [&](const Picture& drawing, ClassReportRow&) { line = drawing; });
  EXPECT_EQ(line.PixelAt(20, 10), clBlue);
  EXPECT_EQ(line.PixelAt(22, 10), clWhite) << "a line one pixel wide";
}

TEST(UnreadableProgramRow, SaysTheFileCannotBeRead) {
  const ClassReportRow row = UnreadableProgramRow("gone.kv");
  EXPECT_EQ(row.outcome, ClassOutcome::kUnreadable);
  EXPECT_EQ(row.detail, "ファイルを読めません");
}

}  // namespace
}  // namespace kurovel
