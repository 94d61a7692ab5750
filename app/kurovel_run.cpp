// kurovel-run: runs a Kurovel program on an off-screen surface and writes the
// final drawing and state, for scripts (a teacher rendering a pupil's program).

#include <cstdio>
#include <exception>
#include <new>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/output_files.h"
#include "app/command_line_tool.h"
#include "app/kurovel_run_options.h"
#include "app/program_arguments.h"
#include "controllers/exercise_check.h"
#include "controllers/headless_run.h"
#include "controllers/run_limits.h"
#include "controllers/state_json.h"
#include "engine/deferred_not_xor_surface.h"
#include "engine/picture.h"
#include "engine/raster_surface.h"
#include "language/errors.h"
#include "language/normalizer.h"
#include "language/program_lines.h"
#include "language/runner.h"
#include "language/text_encoding.h"
#include "language/session.h"
#include "files/bitmap_file.h"
#include "files/pictures.h"

namespace kurovel {
namespace {

// Exit statuses: kurovel-run's own, below the sysexits ones (app/command_line_tool.h).
enum RunExitStatus : int {
  kExitError = 1,
  kExitUnbalanced = 2,
  kExitLimit = 3,
  kExitCheckFailed = 4,
};

int ExitStatusOf(const RunReport& report) {
  switch (report.outcome) {
    case RunResult::kOk:
      return kExitOk;
    case RunResult::kError:
      return kExitError;
    case RunResult::kUnbalanced:
      return kExitUnbalanced;
    case RunResult::kLimit:
      return kExitLimit;
  }
  return kExitSoftware;  // unreachable: every result has a case
}

int Run(const RunOptions& options) {
  ProgramRead program = ReadProgramBytes(options.program);
  std::optional<std::string>& bytes = program.bytes;
  if (!bytes) {
    std::cerr << program.error << '\n';
    return kExitNoInput;
  }
  RunReport report;
  report.encoding = DetectEncoding(*bytes);
  // A Shift-JIS file is used as it is; only other encodings take a converted copy.
  if (report.encoding != TextEncoding::kShiftJis) *bytes = ToCp932Program(*bytes, report.encoding);
  LineBuffer lines = ProgramLines(*bytes);
  bytes.reset();  // the lines hold what is needed of the text

  // The arrow's lines are held back as in every front end; the pixels are read
  // only through drawing.Flushed().
  RasterSurface raster(options.width, options.height);
  DeferredNotXorSurface drawing(raster);
  Session session(drawing);
  session.StartAndRepaint();
  if (options.background_path) {
    // The clear-screen button with this file as the remembered background.
    PictureState pictures;
    pictures.background_file_name = *options.background_path;
    try {
      ClearWithBackground(session.turtle, pictures);
    } catch (const KurovelError& error) {
      std::cerr << ErrorBoxText(error.what()) << '\n';
      return kExitError;
    }
  }

  RunLimits limits(session.executor, options.max_commands, options.timeout_seconds);
  if (options.lines) {
    RunLines(session, lines, limits, report);
  } else {
    RunAsProgram(session, std::move(lines), limits, report);
  }
  for (const std::string& message : report.messages) std::cerr << message << '\n';
  if (options.check_exercise) {
    report.check = CheckExercise(*FindExercise(*options.check_exercise), session.turtle);
    std::cerr << report.check->message << '\n';
  }

  std::vector<OutputFile> outputs;
  if (options.bmp_path) outputs.push_back({*options.bmp_path, EncodeBitmap(drawing.Flushed())});
  if (options.state_path) {
    const LineBuffer& normalized = options.lines ? report.normalized : session.runner.NormalizedProgram();
    outputs.push_back({*options.state_path, StateJson(session, drawing.Flushed(), report, normalized)});
  }
  if (const std::optional<std::string> failed = WriteOutputFiles(outputs)) {
    std::cerr << CannotCreateMessage(*failed) << '\n';
    return kExitCannotCreate;
  }
  const int status = ExitStatusOf(report);
  // A run that went wrong keeps its own status; a clean run says whether the drawing passed.
  if (status == kExitOk && report.check && !report.check->passed) return kExitCheckFailed;
  return status;
}

}  // namespace
}  // namespace kurovel

int main(int argc, char** argv) {
  using namespace kurovel;
  const std::vector<std::string> given = ProgramArguments(argc, argv);
  const std::vector<std::string_view> arguments(given.begin(), given.end());
  const ParsedArguments parsed = ParseRunArguments(arguments);
  if (!parsed.options) {
    std::cerr << "kurovel-run: " << parsed.error << '\n' << RunUsage();
    return kExitUsage;
  }
  // Two outputs reaching one file (however spelt) would leave only the one written last.
  if (const RunOptions& o = *parsed.options; o.bmp_path && o.state_path && SameOutputFile(*o.bmp_path, *o.state_path)) {
    std::cerr << "kurovel-run: --bmp and --state name the same file '" << *o.bmp_path << "'\n" << RunUsage();
    return kExitUsage;
  }
  if (parsed.options->help) {
    std::cout << RunUsage();
    return kExitOk;
  }
  return RunReportingFailures("kurovel-run", [&] { return Run(*parsed.options); });
}
