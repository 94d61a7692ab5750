#pragma once
// The exercises of the help window and the verdicts on a pupil's drawing: what a
// check found, and the short Japanese text a ten-year-old reads. Every text of a
// verdict is built here.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kurovel {

enum class ExerciseKind {
  kRegularPolygon,  // n equal sides, n equal turns of `turn` degrees (the star's are 144)
  kRectangle,       // four right angles, opposite sides equal
  kStarOutline,     // ten equal sides turning alternately out and in
  kCircle,          // a regular polygon of many short sides that looks round
  kClockMarks,      // twelve or sixty marks around one centre
};

struct Exercise {
  int number = 0;
  std::string_view figure;  // as the exercise list names it
  ExerciseKind kind = ExerciseKind::kRegularPolygon;
  int corners = 0;    // corners of the figure; for the circle the fewest that look round
  double turn = 0.0;  // the turn at each corner of a regular polygon, in degrees
};

// The nine exercises, 課題１ to 課題９.
std::span<const Exercise> Exercises();
// Exercise number 1 to 9, or nullptr.
const Exercise* FindExercise(int number);

// What a check found: the first thing that is off, or what was drawn. The numbers
// are those the text names (lengths and turns in pixels and degrees, counts).
enum class Finding {
  kPassed,             // first = side (second = other side of a rectangle; for the circle, the diameter;
                       // count = marks of the clock)
  kPassedAsSquare,     // the rectangle exercise passed by a square; first = side
  kTooLarge,           // more moves or lines than a check looks at
  kNoLines,
  kOutside,            // some line goes beyond the drawing area
  kNotClosed,          // first = the gap between start and end, 0 when unknown
  kBranching,          // lines fork or cross so that no single closed figure is left
  kCorners,            // count = corners drawn
  kSidesDiffer,        // first, second = two lengths
  kTurnsDiffer,        // first, second = two turns
  kOtherFigure,        // other = the exercise whose figure was drawn instead
  kNotRightAngle,      // first = a turn that is not 90
  kOppositeSidesDiffer,  // first, second = two opposite sides
  kNotAlternating,     // the turns of the ☆ do not go out and in by turns
  kTooFewCorners,      // count = corners seen (circle)
  kNotRound,
  kMarkCount,          // count = marks drawn
  kMarksJoined,
  kMarkNotPointing,
  kMarkLengthsDiffer,  // first, second = two lengths
  kMarkRadiiDiffer,
  kMarkSpacingDiffers,  // first, second = two angles between neighbouring marks
  kExtraLines,         // the figure is right, but other lines are drawn too
};

struct CheckFinding {
  Finding finding = Finding::kNoLines;
  double first = 0.0;
  double second = 0.0;
  int count = 0;
  const Exercise* other = nullptr;
};

struct ExerciseVerdict {
  int exercise = 0;
  bool passed = false;
  std::string message;  // UTF-8
};

ExerciseVerdict MakeVerdict(const Exercise& exercise, const CheckFinding& finding);

// The exercise as the list names it: "課題４　正５角形".
std::string ExerciseTitle(const Exercise& exercise);

// The exercise a line of the exercise list names ("課題４" or "課題4" anywhere in
// it), or nullptr: the pupil picks an exercise by putting the caret on its line.
const Exercise* ExerciseOnLine(std::string_view line);

// The verdict of 答え合わせ when the selected line names no exercise.
ExerciseVerdict NoExerciseChosenVerdict();

}  // namespace kurovel
