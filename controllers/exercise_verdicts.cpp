// The exercise table and every verdict text. Measured lengths and angles are
// written in ASCII digits, as the pupil types them; counts of corners and marks in
// full-width digits, as the exercise list writes 正５角形.

#include "controllers/exercise_verdicts.h"

#include <array>
#include <cmath>

namespace kurovel {
namespace {

constexpr std::array<Exercise, 9> kExercises{{
    {1, "正方形", ExerciseKind::kRegularPolygon, 4, 90.0},
    {2, "正三角形", ExerciseKind::kRegularPolygon, 3, 120.0},
    {3, "長方形", ExerciseKind::kRectangle, 4, 90.0},
    {4, "正５角形", ExerciseKind::kRegularPolygon, 5, 72.0},
    {5, "正６角形", ExerciseKind::kRegularPolygon, 6, 60.0},
    {6, "星形", ExerciseKind::kRegularPolygon, 5, 144.0},
    {7, "☆の形", ExerciseKind::kStarOutline, 10, 0.0},
    {8, "円", ExerciseKind::kCircle, 24, 0.0},
    {9, "時計の目盛り", ExerciseKind::kClockMarks, 12, 0.0},
}};

constexpr std::string_view kPassed = "できました！\u3000";

// A measured value as the pupil would type it: whole pixels or degrees.
std::string Whole(double value) { return std::to_string(std::lround(value)); }

std::string FullWidth(int count) {
  static constexpr std::array<std::string_view, 10> kDigits{"０", "１", "２", "３", "４",
                                                            "５", "６", "７", "８", "９"};
  const std::string digits = std::to_string(count);
  std::string text;
  for (const char c : digits) text += c == '-' ? std::string_view("－") : kDigits[static_cast<std::size_t>(c - '0')];
  return text;
}

// "５つ" up to nine, "１２こ" from ten on: how a child counts corners.
std::string Count(int count) { return FullWidth(count) + (count >= 1 && count <= 9 ? "つ" : "こ"); }

std::string Degrees(double value) { return Whole(value) + "度"; }

std::string Text(const Exercise& exercise, const CheckFinding& f) {
  const std::string figure(exercise.figure);
  switch (f.finding) {
    case Finding::kPassed:
      switch (exercise.kind) {
        case ExerciseKind::kRectangle:
          return std::string(kPassed) + "長方形です（辺 " + Whole(f.first) + " と " + Whole(f.second) + "）";
        case ExerciseKind::kCircle:
          return std::string(kPassed) + "円です（直径 " + Whole(f.first) + "）";
        case ExerciseKind::kClockMarks:
          return std::string(kPassed) + "時計の目盛りです（" + FullWidth(f.count) + "本）";
        case ExerciseKind::kRegularPolygon:
        case ExerciseKind::kStarOutline:
          break;
      }
      return std::string(kPassed) + figure + "です（１辺 " + Whole(f.first) + "）";
    case Finding::kPassedAsSquare:
      return std::string(kPassed) + "正方形です（１辺 " + Whole(f.first) + "）。正方形は、とくべつな長方形です";
    case Finding::kTooLarge:
      return "線が多すぎて、調べられません";
    case Finding::kNoLines:
      return "まだ線がありません";
    case Finding::kOutside:
      return "線が画面からはみ出しています";
    case Finding::kNotClosed:
      if (std::lround(f.first) > 0) return "形がとじていません（はじめと終わりが " + Whole(f.first) + " はなれています）";
      return "形がとじていません";
    case Finding::kBranching:
      return "線がとちゅうで分かれていて、ひとつの形になっていません";
    case Finding::kCorners:
      return "角が" + Count(f.count) + "あります。" + figure + "の角は" + Count(exercise.corners) + "です";
    case Finding::kSidesDiffer:
      return "辺の長さが " + Whole(f.first) + " と " + Whole(f.second) + " でちがいます";
    case Finding::kTurnsDiffer:
      return "曲がる角度が " + Degrees(f.first) + " と " + Degrees(f.second) + " でちがいます";
    case Finding::kOtherFigure:
      return std::string(f.other != nullptr ? f.other->figure : "ちがう形") + "になっています。" + figure +
             "とは形がちがいます";
    case Finding::kNotRightAngle:
      return "直角になっていない角があります（曲がる角度 " + Degrees(f.first) + "）";
    case Finding::kOppositeSidesDiffer:
      return "向かい合う辺の長さが " + Whole(f.first) + " と " + Whole(f.second) + " でちがいます";
    case Finding::kNotAlternating:
      return "外に曲がる角と内に曲がる角が、交互になっていません";
    case Finding::kTooFewCorners:
      return "角が" + Count(f.count) + "の形に見えます。円に見えるには、角が" + Count(exercise.corners) +
             "以上いります";
    case Finding::kNotRound:
      return "まるい形になっていません";
    case Finding::kMarkCount:
      return "目盛りが" + FullWidth(f.count) + "本あります。時計の目盛りは１２本（または６０本）です";
    case Finding::kMarksJoined:
      return "目盛りどうしが線でつながっています";
    case Finding::kMarkNotPointing:
      return "中心を向いていない目盛りがあります";
    case Finding::kMarkLengthsDiffer:
      return "目盛りの長さが " + Whole(f.first) + " と " + Whole(f.second) + " でちがいます";
    case Finding::kMarkRadiiDiffer:
      return "目盛りの、中心からのきょりがそろっていません";
    case Finding::kMarkSpacingDiffers:
      return "となりの目盛りとの角度が " + Degrees(f.first) + " と " + Degrees(f.second) + " でちがいます";
    case Finding::kExtraLines:
      return figure + "はできていますが、ほかによけいな線があります";
  }
  return {};  // unreachable: every finding has a case
}

}  // namespace

std::span<const Exercise> Exercises() { return kExercises; }

const Exercise* FindExercise(int number) {
  for (const Exercise& exercise : kExercises) {
    if (exercise.number == number) return &exercise;
  }
  return nullptr;
}

std::string ExerciseTitle(const Exercise& exercise) {
  return "課題" + FullWidth(exercise.number) + "\u3000" + std::string(exercise.figure);
}

const Exercise* ExerciseOnLine(std::string_view line) {
  static constexpr std::string_view kExerciseWord = "課題";
  const std::size_t at = line.find(kExerciseWord);
  if (at == std::string_view::npos) return nullptr;
  const std::string_view digit = line.substr(at + kExerciseWord.size());
  for (int number = 1; number <= static_cast<int>(Exercises().size()); ++number) {
    const std::string ascii(1, static_cast<char>('0' + number));
    if (digit.starts_with(FullWidth(number)) || digit.starts_with(ascii)) return FindExercise(number);
  }
  return nullptr;
}

ExerciseVerdict NoExerciseChosenVerdict() { return {0, false, "課題の行をクリックしてから、答え合わせをしてね"}; }

ExerciseVerdict MakeVerdict(const Exercise& exercise, const CheckFinding& finding) {
  const bool passed = finding.finding == Finding::kPassed || finding.finding == Finding::kPassedAsSquare;
  return {exercise.number, passed, Text(exercise, finding)};
}

}  // namespace kurovel
