#pragma once
// A teacher's report on a whole class: every pupil's program file, how its run
// ended, the exercise verdict when one was asked for, and the drawing. Built from
// rows whose pictures are already PNG bytes, so that any front end can make the
// same report: kurovel-class encodes them with libpng, a browser with its canvas.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "controllers/exercise_verdicts.h"

namespace kurovel {

enum class ClassOutcome {
  kFinished,     // the program ran to its end
  kError,        // an error ended the run
  kUnbalanced,   // repeat and next do not pair up; nothing ran
  kLimit,        // the limit on commands or time ended the run
  kUnreadable,   // the file could not be read
  kNotAProgram,  // the file is no program text
  kCrashed,      // running it failed inside Kurovel
};

struct ClassReportRow {
  std::string file_name;  // UTF-8, as the report shows it
  ClassOutcome outcome = ClassOutcome::kFinished;
  std::string detail;     // UTF-8: the error with its line, the limit, or why the file was not run
  std::optional<ExerciseVerdict> verdict;
  std::uint64_t commands = 0;
  std::string png;        // the final drawing as PNG bytes; empty when nothing ran
};

struct ClassReport {
  std::string folder;                  // UTF-8, the folder's name
  const Exercise* exercise = nullptr;  // the exercise checked, if any
  std::vector<ClassReportRow> rows;
};

// Whether the row counts as done: its verdict passed, or without a check, its run finished.
bool RowSucceeded(const ClassReport& report, const ClassReportRow& row);

// "40 本中 31 本が合格（課題４　正５角形）", or without a check
// "40 本を実行しました（最後まで 36、エラー 3、制限で停止 1）".
std::string ClassSummary(const ClassReport& report);

// The rows as the report lists them: those that did not succeed first, then by file name.
std::vector<const ClassReportRow*> ReportOrder(const ClassReport& report);

// One self-contained HTML file that opens offline: the summary, then a row per
// file with its drawing as an embedded PNG that enlarges when clicked (no
// script), the file name, the outcome, the verdict and the commands run. Every
// text from a file or a run is escaped.
std::string ClassReportHtml(const ClassReport& report);

// The same columns as CSV for a spreadsheet: UTF-8 with a byte order mark, CR LF
// line ends, every field quoted; a field that a spreadsheet would take for a
// formula starts with an apostrophe.
std::string ClassReportCsv(const ClassReport& report);

}  // namespace kurovel
