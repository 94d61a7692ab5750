#include "app/kurovel_class_render.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <exception>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <thread>

#include "app/kurovel_run_limits.h"
#include "app/kurovel_run_program.h"
#include "app/png_encoder.h"
#include "controllers/exercise_check.h"
#include "engine/raster_surface.h"
#include "language/cp932.h"
#include "language/errors.h"
#include "language/numbers.h"
#include "language/program_lines.h"
#include "language/runner.h"
#include "language/session.h"
#include "language/text_encoding.h"

namespace kurovel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProgramExtension = ".kv";
constexpr std::string_view kCannotReadReason = "ファイルを読めません";
constexpr std::string_view kNotTextReason = "文字ではないデータ（0 のバイト）があります";
constexpr std::string_view kTooLargeReason = "ファイルが大きすぎます";

bool IsProgramName(const fs::path& path) {
  const std::string extension = path.extension().string();
  return extension.size() == kProgramExtension.size() &&
         std::equal(extension.begin(), extension.end(), kProgramExtension.begin(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// File names are bytes: UTF-8 on this system, but Shift-JIS when they come from
// a Windows computer.
std::string DisplayName(const fs::path& file) {
  const std::string name = file.filename().string();
  return DetectEncoding(name) == TextEncoding::kShiftJis ? Cp932ToUtf8(name) : name;
}

// The whole file, or nothing when it cannot be read or is larger than any program.
std::optional<std::string> ReadFileBytes(const fs::path& file, ClassReportRow& row) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(file, error);
  if (error) {
    row.outcome = ClassOutcome::kUnreadable;
    row.detail = kCannotReadReason;
    return std::nullopt;
  }
  if (size > static_cast<std::uintmax_t>(kMaxProgramFileBytes)) {
    row.outcome = ClassOutcome::kNotAProgram;
    row.detail = kTooLargeReason;
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), {}};
  if (!in && !in.eof()) {
    row.outcome = ClassOutcome::kUnreadable;
    row.detail = kCannotReadReason;
    return std::nullopt;
  }
  return bytes;
}

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

void RunAndDraw(std::string bytes, const ClassSettings& settings, ClassReportRow& row) {
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
  Picture picture(surface.Width(), surface.Height());
  surface.CopyPictureOut(picture, surface.Width(), surface.Height());
  row.png = EncodePng(picture);
}

}  // namespace

std::vector<fs::path> ProgramFilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    std::error_code error;
    // A link that leads nowhere is listed too, and gets its row as unreadable.
    const bool file = entry.is_regular_file(error) || (entry.is_symlink(error) && !entry.exists(error));
    if (file && IsProgramName(entry.path())) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

ClassReportRow RenderProgramFile(const fs::path& file, const ClassSettings& settings) {
  ClassReportRow row;
  row.file_name = DisplayName(file);
  try {
    std::optional<std::string> bytes = ReadFileBytes(file, row);
    if (!bytes) return row;
    if (FirstNulCharacter(*bytes) != std::string::npos) {
      row.outcome = ClassOutcome::kNotAProgram;
      row.detail = kNotTextReason;
      return row;
    }
    RunAndDraw(std::move(*bytes), settings, row);
  } catch (const std::exception& error) {
    ClassReportRow crashed;
    crashed.file_name = std::move(row.file_name);
    crashed.outcome = ClassOutcome::kCrashed;
    crashed.detail = ErrorMessageOf(error);
    row = std::move(crashed);
  }
  return row;
}

std::vector<ClassReportRow> RenderProgramFiles(const std::vector<fs::path>& files, const ClassSettings& settings,
                                               unsigned threads) {
  std::vector<ClassReportRow> rows(files.size());
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < files.size(); i = next++) rows[i] = RenderProgramFile(files[i], settings);
  };
  std::vector<std::jthread> workers;
  for (unsigned t = 1; t < std::max(1u, threads); ++t) workers.emplace_back(work);
  work();
  return rows;
}

}  // namespace kurovel
