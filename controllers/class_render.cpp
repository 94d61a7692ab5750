#include "controllers/class_render.h"

#include <exception>
#include <string_view>
#include <utility>

#include "controllers/exercise_check.h"
#include "controllers/headless_run.h"
#include "controllers/run_limits.h"
#include "engine/raster_surface.h"
#include "language/errors.h"
#include "language/numbers.h"
#include "language/program_lines.h"
#include "language/runner.h"
#include "language/session.h"
#include "language/text_encoding.h"

namespace kurovel {
namespace {

constexpr std::string_view kCannotReadReason = "ファイルを読めません";
constexpr std::string_view kNotTextReason = "文字ではないデータ（0 のバイト）があります";
constexpr std::string_view kTooLargeReason = "ファイルが大きすぎます";

ClassOutcome OutcomeOf(RunResult result) {
  switch (result) {
    case RunResult::kOk:
      return ClassOutcome::kFinished;
    case RunResult::kError:
      return ClassOutcome::kError;
    case RunResult::kUnbalanced:
      return ClassOutcome::kUnbalanced;
    case RunResult::kLimit:
      return ClassOutcome::kLimit;
  }
  return ClassOutcome::kCrashed;  // unreachable: every result has a case
}

std::string LimitDetail(std::uint64_t commands, const ClassSettings& settings) {
  if (commands >= settings.max_commands) return "命令が " + std::to_string(settings.max_commands) + " 回に達しました";
  return "時間切れ（" + FormatGeneral(settings.timeout_seconds) + " 秒）";
}

void RunAndDraw(std::string bytes, const ClassSettings& settings, ClassReportRow& row, const KeepDrawing& keep_drawing) {
  const TextEncoding encoding = DetectEncoding(bytes);
  if (encoding != TextEncoding::kShiftJis) bytes = ToCp932Program(bytes, encoding);
  LineBuffer lines = ProgramLines(bytes);
  bytes = std::string();

  RasterSurface surface(settings.width, settings.height);
  Session session(surface);
  session.StartAndRepaint();
  RunLimits limits(session.executor, settings.max_commands, settings.timeout_seconds);
  RunReport report;
  std::int32_t line = 0;
  RunAsProgram(session, std::move(lines), limits, report, &line);

  row.outcome = OutcomeOf(report.outcome);
  row.commands = session.executor.CommandsRun();
  if (report.outcome == RunResult::kError && !report.messages.empty()) {
    row.detail = std::to_string(line + 1) + " 行目：" + report.messages.front();
  } else if (report.outcome == RunResult::kUnbalanced && !report.messages.empty()) {
    row.detail = report.messages.front();
  } else if (report.outcome == RunResult::kLimit) {
    row.detail = LimitDetail(row.commands, settings);
  }
  if (settings.exercise != nullptr) row.verdict = CheckExercise(*settings.exercise, session.turtle);
  Picture drawing(surface.Width(), surface.Height());
  surface.CopyPictureOut(drawing, surface.Width(), surface.Height());
  keep_drawing(drawing, row);
}

ClassReportRow RowWithReason(std::string file_name, ClassOutcome outcome, std::string_view reason) {
  ClassReportRow row;
  row.file_name = std::move(file_name);
  row.outcome = outcome;
  row.detail = reason;
  return row;
}

}  // namespace

ClassReportRow RenderProgramBytes(std::string file_name, std::string bytes, const ClassSettings& settings,
                                  const KeepDrawing& keep_drawing) {
  if (bytes.size() > static_cast<std::uint64_t>(kMaxProgramFileBytes)) {
    return RowWithReason(std::move(file_name), ClassOutcome::kNotAProgram, kTooLargeReason);
  }
  if (FirstNulCharacter(bytes) != std::string::npos) {
    return RowWithReason(std::move(file_name), ClassOutcome::kNotAProgram, kNotTextReason);
  }
  ClassReportRow row;
  row.file_name = std::move(file_name);
  try {
    RunAndDraw(std::move(bytes), settings, row, keep_drawing);
  } catch (const std::exception& error) {
    return CrashedProgramRow(std::move(row.file_name), error);
  }
  return row;
}

ClassReportRow UnreadableProgramRow(std::string file_name) {
  return RowWithReason(std::move(file_name), ClassOutcome::kUnreadable, kCannotReadReason);
}

ClassReportRow CrashedProgramRow(std::string file_name, const std::exception& error) {
  return RowWithReason(std::move(file_name), ClassOutcome::kCrashed, ErrorMessageOf(error));
}

}  // namespace kurovel
