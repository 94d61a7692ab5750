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
#include "app/kurovel_run_limits.h"
#include "app/kurovel_run_options.h"
#include "app/program_arguments.h"
#include "controllers/state_json.h"
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

// Exit statuses (the sysexits values for usage, input and output failures).
enum ExitStatus : int {
  kExitOk = 0,
  kExitError = 1,
  kExitUnbalanced = 2,
  kExitLimit = 3,
  kExitUsage = 64,
  kExitNoInput = 66,
  kExitSoftware = 70,
  kExitCannotCreate = 73,
};

// Every line as typed into the command box followed by Enter: an error ends that
// line only.
// A reached limit ends the run between two lines.
void RunLines(Session& session, const LineBuffer& lines, RunLimits& limits, RunReport& report) {
  for (const std::string_view line : lines) {
    if (limits.Any() && limits.Reached()) {
      report.outcome = RunResult::kLimit;
      return;
    }
    const std::string normalized = NormalizeLine(line);
    report.normalized.push_back(normalized);
    try {
      session.executor.ExecuteLine(normalized);
    } catch (const KurovelError& error) {
      report.outcome = RunResult::kError;
      report.messages.push_back(ErrorBoxText(error.what()));
    }
  }
}

// The program as run by the Run button.
// A reached limit presses Stop: the run ends at its next line.
void RunAsProgram(Session& session, LineBuffer lines, RunLimits& limits, RunReport& report) {
  HeadlessRunnerHost host(std::move(lines));
  // Lives as long as the run: both hooks below call it by reference.
  const auto stop_at_limit = [&] {
    if (limits.Reached() && session.runner.RunEnabled()) session.runner.StopProgram(host);
  };
  if (limits.Any()) {
    session.executor.SetPendingEventsHook(stop_at_limit);
    session.runner.SetLineHook([&](std::int32_t) { stop_at_limit(); });
  }
  try {
    switch (session.runner.RunProgram(host)) {
      case RunOutcome::kUnbalanced:
        report.outcome = RunResult::kUnbalanced;
        report.messages = host.warnings;
        break;
      case RunOutcome::kStopped:
        report.outcome = RunResult::kLimit;  // only a limit presses Stop here
        break;
      case RunOutcome::kFinished:
        break;
    }
  } catch (const KurovelError& error) {
    report.outcome = RunResult::kError;
    report.messages.push_back(ErrorBoxText(error.what()));
  }
  // The hooks refer to this frame: none may outlive it.
  session.executor.SetPendingEventsHook(nullptr);
  session.runner.SetLineHook(nullptr);
}

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

  RasterSurface surface(options.width, options.height);
  Session session(surface);
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

  std::vector<OutputFile> outputs;
  if (options.bmp_path) outputs.push_back({*options.bmp_path, EncodeBitmap(surface)});
  if (options.state_path) {
    const LineBuffer& normalized = options.lines ? report.normalized : session.runner.NormalizedProgram();
    outputs.push_back({*options.state_path, StateJson(session, surface, report, normalized)});
  }
  if (const std::optional<std::string> failed = WriteOutputFiles(outputs)) {
    std::cerr << CannotCreateMessage(*failed) << '\n';
    return kExitCannotCreate;
  }
  return ExitStatusOf(report);
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
  try {
    return Run(*parsed.options);
  } catch (const std::bad_alloc&) {
    // Outputs are written only at the very end, so none was begun.
    std::cerr << "kurovel-run: out of memory\n";
    return kExitSoftware;
  } catch (const std::exception& error) {
    std::cerr << "kurovel-run: internal error: " << error.what() << '\n';
    return kExitSoftware;
  }
}
