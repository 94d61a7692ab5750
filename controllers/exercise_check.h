#pragma once
// Checks a drawing against one of the nine exercises, as a mathematics teacher
// looks at it: the figure that was drawn counts, not the program that drew it. Any
// size, place, start heading and turning direction passes, whether the lines were
// drawn in a loop or one by one, in one go or in parts; the tolerances absorb the
// rounding of positions to whole pixels, and nothing more.

#include <cstdint>
#include <string_view>

#include "controllers/exercise_verdicts.h"
#include "engine/drawn_path.h"
#include "engine/turtle.h"

namespace kurovel {

// The verdict on the lines the turtle drew since the last clear screen, on its surface.
ExerciseVerdict CheckExercise(const Exercise& exercise, const Turtle& turtle);

// 答え合わせ: the verdict on the turtle's drawing for the exercise named on the
// line of the exercise list that the pupil has selected.
ExerciseVerdict CheckSelectedExercise(std::string_view selected_line, const Turtle& turtle);

// What the check found, before it is put into words: the path's lines on a drawing
// area of width x height pixels (a line beyond it is not on the paper).
CheckFinding FindExerciseFinding(const Exercise& exercise, const DrawnPath& path, std::int32_t width,
                                 std::int32_t height);

}  // namespace kurovel
