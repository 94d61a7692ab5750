#include "controllers/headless_run.h"

#include <string>
#include <string_view>
#include <utility>

#include "language/errors.h"
#include "language/normalizer.h"
#include "language/runner.h"

namespace kurovel {

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

void RunAsProgram(Session& session, LineBuffer lines, RunLimits& limits, RunReport& report,
                  std::int32_t* current_line) {
  HeadlessRunnerHost host(std::move(lines));
  // Lives as long as the run: both hooks below call it by reference.
  const auto stop_at_limit = [&] {
    if (limits.Reached() && session.runner.RunEnabled()) session.runner.StopProgram(host);
  };
  if (limits.Any()) session.executor.SetPendingEventsHook(stop_at_limit);
  if (limits.Any() || current_line != nullptr) {
    session.runner.SetLineHook([&](std::int32_t line) {
      if (current_line != nullptr) *current_line = line;
      if (limits.Any()) stop_at_limit();
    });
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

}  // namespace kurovel
