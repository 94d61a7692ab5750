// The exercise checks on real runs: every pupil-like program under tests/exercises
// (verdicts.tsv names its exercise and verdict) run through a Session, then sweeps
// of correct figures in every size, heading and direction, and the verdict texts.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "controllers/exercise_check.h"
#include "engine/raster_surface.h"
#include "language/errors.h"
#include "language/program_lines.h"
#include "language/session.h"
#include "language/text_encoding.h"
#include "tests/exercises/exercise_corpus.h"

namespace kurovel {
namespace {

namespace fs = std::filesystem;

using testing::CorpusRow;
using testing::kExercisesDir;
using testing::ReadCorpus;

// Runs a program (file bytes in any encoding) from the start state as the Run
// button does and checks the drawing against the exercise.
ExerciseVerdict CheckProgram(Session& session, int exercise, std::string bytes) {
  const TextEncoding encoding = DetectEncoding(bytes);
  if (encoding != TextEncoding::kShiftJis) bytes = ToCp932Program(bytes, encoding);
  session.StartAndRepaint();
  HeadlessRunnerHost host(ProgramLines(bytes));
  try {
    session.runner.RunProgram(host);
  } catch (const KurovelError&) {
    // An error ends the run; the drawing so far is what is checked.
  }
  return CheckExercise(*FindExercise(exercise), session.turtle);
}

// On the drawing area of the desktop window as it starts.
ExerciseVerdict CheckProgram(int exercise, std::string bytes) {
  RasterSurface surface(kDefaultSurfaceWidth, kDefaultSurfaceHeight);
  Session session(surface);
  return CheckProgram(session, exercise, std::move(bytes));
}

class CorpusTest : public ::testing::TestWithParam<CorpusRow> {};

TEST_P(CorpusTest, GivesTheExpectedVerdict) {
  const CorpusRow& row = GetParam();
  ASSERT_TRUE(fs::is_regular_file(kExercisesDir / row.file)) << row.file;
  const std::string bytes = testing::ReadCorpusFile(row);
  const ExerciseVerdict verdict = CheckProgram(row.exercise, bytes);
  EXPECT_EQ(verdict.exercise, row.exercise);
  EXPECT_EQ(verdict.passed, row.passed) << verdict.message;
  EXPECT_EQ(verdict.message, row.message);
}

INSTANTIATE_TEST_SUITE_P(PupilPrograms, CorpusTest, ::testing::ValuesIn(ReadCorpus()),
                         [](const ::testing::TestParamInfo<CorpusRow>& info) {
                           std::string name = info.param.file.substr(0, info.param.file.size() - 3);
                           for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

// Each exercise has at least 15 correct and 15 incorrect programs, and each file
// has its row.
TEST(Corpus, HoldsEnoughProgramsOfEachKind) {
  std::map<int, std::pair<int, int>> counts;
  std::size_t rows = 0;
  for (const CorpusRow& row : ReadCorpus()) {
    (row.passed ? counts[row.exercise].first : counts[row.exercise].second) += 1;
    ++rows;
  }
  for (const Exercise& e : Exercises()) {
    EXPECT_GE(counts[e.number].first, 15) << e.figure;
    EXPECT_GE(counts[e.number].second, 15) << e.figure;
  }
  std::size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(kExercisesDir)) files += entry.path().extension() == ".kv";
  EXPECT_EQ(files, rows);
}

std::string Repeat(int count, const std::string& body) {
  return "repeat " + std::to_string(count) + "\n" + body + "next\n";
}
std::string Turn(int direction, int degrees) { return (direction > 0 ? "rt " : "lt ") + std::to_string(degrees) + "\n"; }
// A side of `length` drawn in `pieces` equal moves.
std::string Side(int length, int pieces) {
  std::string side;
  for (int i = 0; i < pieces; ++i) side += "fd " + std::to_string(length / pieces) + "\n";
  return side;
}

// Correct figures of every size from small to large, at every start heading, turning
// either way, sides drawn in one or two moves: all pass on a surface they fit.
TEST(ExerciseSweep, CorrectFiguresPassWhateverTheirSizeHeadingAndDirection) {
  struct Figure {
    int exercise;
    std::function<std::string(int size, int direction, int pieces)> body;
  };
  const Figure figures[] = {
      {1, [](int s, int d, int k) { return Repeat(4, Side(s, k) + Turn(d, 90)); }},
      {2, [](int s, int d, int k) { return Repeat(3, Side(s, k) + Turn(d, 120)); }},
      {3, [](int s, int d, int k) { return Repeat(2, Side(s, k) + Turn(d, 90) + Side(s / 2 + 8, 1) + Turn(d, 90)); }},
      {4, [](int s, int d, int k) { return Repeat(5, Side(s, k) + Turn(d, 72)); }},
      {5, [](int s, int d, int k) { return Repeat(6, Side(s, k) + Turn(d, 60)); }},
      {6, [](int s, int d, int k) { return Repeat(5, Side(s, k) + Turn(d, 144)); }},
      {7, [](int s, int d, int k) { return Repeat(5, Side(s / 2, k) + Turn(d, 144) + Side(s / 2, k) + Turn(-d, 72)); }},
      {8, [](int s, int d, int k) { return Repeat(36, Side(s / 5, k) + Turn(d, 10)); }},
      {9, [](int s, int d, int) { return Repeat(12, "pu\nfd " + std::to_string(s) + "\npd\nfd 12\npu\nbk " +
                                                     std::to_string(s + 12) + "\n" + Turn(d, 30)); }},
  };
  RasterSurface surface(1000, 1000);
  Session session(surface);
  int failures = 0;
  for (const Figure& figure : figures) {
    for (const int size : {40, 77, 128, 176}) {
      for (int heading = 0; heading < 360; heading += 29) {
        for (const int direction : {1, -1}) {
          for (const int pieces : {1, 2}) {
            const std::string program = "rt " + std::to_string(heading) + "\n" + figure.body(size, direction, pieces);
            const ExerciseVerdict verdict = CheckProgram(session, figure.exercise, program);
            if (!verdict.passed && ++failures <= 10) ADD_FAILURE() << verdict.message << " for\n" << program;
          }
        }
      }
    }
  }
  EXPECT_EQ(failures, 0);
}

TEST(ExerciseCheck, ADrawingBeyondTheRecordIsTooLargeToCheck) {
  const ExerciseVerdict verdict =
      CheckProgram(1, Repeat(static_cast<int>(kMaxPathPlaces), "fd 1\nbk 1\n"));
  EXPECT_FALSE(verdict.passed);
  EXPECT_EQ(verdict.message, "線が多すぎて、調べられません");
}

TEST(ExerciseVerdicts, CountsReadAsAChildCountsThem) {
  const Exercise& square = *FindExercise(1);
  const Exercise& star = *FindExercise(7);
  const Exercise& clock = *FindExercise(9);
  const struct {
    const Exercise& exercise;
    CheckFinding finding;
    const char* text;
  } cases[] = {
      {square, {Finding::kCorners, 0, 0, 5}, "角が５つあります。正方形の角は４つです"},
      {star, {Finding::kCorners, 0, 0, 12}, "角が１２こあります。☆の形の角は１０こです"},
      {clock, {Finding::kPassed, 0, 0, 60}, "できました！　時計の目盛りです（６０本）"},
      {square, {Finding::kSidesDiffer, 100.4, 89.5}, "辺の長さが 100 と 90 でちがいます"},
      {square, {Finding::kNotClosed, 0.4}, "形がとじていません"},
      {square, {Finding::kNotClosed, 0}, "形がとじていません"},
      {square, {Finding::kOtherFigure}, "ちがう形になっています。正方形とは形がちがいます"},
  };
  for (const auto& c : cases) {
    const ExerciseVerdict verdict = MakeVerdict(c.exercise, c.finding);
    EXPECT_EQ(verdict.message, c.text);
    EXPECT_EQ(verdict.passed, c.finding.finding == Finding::kPassed) << c.text;
  }
}

// 答え合わせ checks the exercise on the line the pupil selected in the list.
TEST(AnswerCheck, TheSelectedLineNamesTheExercise) {
  const struct {
    std::string line;
    int exercise;  // 0: none
  } lines[] = {
      {"課題１\u3000\u3000正方形を描く", 1}, {"課題９\u3000\u3000時計の目盛りを描く", 9}, {"課題4 正５角形", 4},
      {"  課題７", 7},                       {"正方形を描く", 0},                         {"課題０", 0},
      {"課題", 0},                           {"", 0},
  };
  for (const auto& l : lines) {
    const Exercise* exercise = ExerciseOnLine(l.line);
    EXPECT_EQ(exercise != nullptr ? exercise->number : 0, l.exercise) << l.line;
  }
  RasterSurface surface(kDefaultSurfaceWidth, kDefaultSurfaceHeight);
  Session session(surface);
  session.StartAndRepaint();
  HeadlessRunnerHost host(ProgramLines("repeat 4\nfd 100\nrt 90\nnext"));
  session.runner.RunProgram(host);
  EXPECT_EQ(CheckSelectedExercise("課題１\u3000\u3000正方形を描く", session.turtle).message,
            "できました！　正方形です（１辺 100）");
  const ExerciseVerdict none = CheckSelectedExercise("正方形を描く", session.turtle);
  EXPECT_FALSE(none.passed);
  EXPECT_EQ(none.message, "課題の行をクリックしてから、答え合わせをしてね");
}

}  // namespace
}  // namespace kurovel
