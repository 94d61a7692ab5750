#pragma once
// Runs the whole program of the editor: normalises its lines, pairs every repeat
// line with the next line that closes it, writes the trace, refuses an unbalanced
// program with a warning, and otherwise executes the lines with nested repetition.
// The desktop program and the headless runner drive it through RunnerHost.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "language/executor.h"
#include "language/line_buffer.h"
#include "language/trace_list.h"
#include "language/variables.h"

namespace kurovel {

// Fixed texts of the warning box (UTF-8): OK button, no icon.
inline constexpr std::string_view kWarningCaption = "警告";
inline constexpr std::string_view kUnbalancedWarning = "繰り返しの対(RepeatとNextの数)が一致していません";

// What the runner needs from its caller: the program, whether running and
// stopping are offered, and the warning box. Pending events do not pass through
// here: the caller installs them as the LineExecutor's hook, so Stop, command-box
// lines and even a new Run can arrive in the middle of a command.
class RunnerHost {
 public:
  virtual ~RunnerHost() = default;
  // The program's lines, CP932, without line breaks; read before the run starts.
  virtual const LineBuffer& ProgramLines() = 0;
  virtual void SetRunEnabled(bool enabled) = 0;
  virtual void SetStopEnabled(bool enabled) = 0;
  // A modal box with caption and text (UTF-8), one OK button and no icon.
  virtual void ShowWarning(std::string_view caption, std::string_view text) = 0;
};

// A host without a window: the lines are given, the run and stop states are
// kept, the warnings are collected. Used by kurovel-run and the tests.
class HeadlessRunnerHost : public RunnerHost {
 public:
  HeadlessRunnerHost() = default;
  explicit HeadlessRunnerHost(LineBuffer program_lines) : lines(std::move(program_lines)) {}
  explicit HeadlessRunnerHost(const std::vector<std::string>& program_lines) {
    for (const std::string& line : program_lines) lines.push_back(line);
  }

  const LineBuffer& ProgramLines() override { return lines; }
  void SetRunEnabled(bool enabled) override { run_enabled = enabled; }
  void SetStopEnabled(bool enabled) override { stop_enabled = enabled; }
  void ShowWarning(std::string_view, std::string_view text) override { warnings.emplace_back(text); }

  LineBuffer lines;                    // CP932
  bool run_enabled = true;             // idle: Run offered,
  bool stop_enabled = false;           // Stop not
  std::vector<std::string> warnings;   // texts of the warning boxes shown, UTF-8
};

// The pairing of repeat and next lines, rebuilt by every run. The per-line tables
// have one entry per program line and the per-repeat tables grow with the program,
// so no program is too long for them. A repeat line's block starts at that line,
// and its count text is RepeatCountText of the line.
struct BlockTables {
  std::vector<std::int32_t> matching_next;  // per line: the next line closing a repeat line, else 0
  std::vector<bool> repeat_line;            // per line: true for a repeat line
  std::vector<std::int32_t> open_repeats;   // per depth: the repeat lines open during the scan
  std::vector<std::int32_t> repeat_lines;   // per repeat, 0 to repeat_total: its line (trace only)
  std::vector<std::int32_t> next_lines;     // per repeat, 0 to repeat_total: a next line (trace only)
  std::int32_t repeat_total = 0;
  std::int32_t depth = 0;
  bool stray_next = false;  // a next line was met while no repeat was open

  bool Balanced() const { return depth == 0 && !stray_next; }
};

// A plain byte search for "repeat"/"REPEAT" and "next"/"NEXT" (other mixed forms do not count).
bool IsRepeatLine(std::string_view line);
bool IsNextLine(std::string_view line);
// Everything after the first blank with every blank removed; "1" when that is empty.
std::string RepeatCountText(std::string_view line);

// The pairing scan over a normalised program.
BlockTables ScanBlocks(const LineBuffer& program);
// Appends the trace lines (CP932) that a run writes for these tables.
void WriteBlockTrace(const BlockTables& tables, const LineBuffer& program, TraceList& trace);

enum class RunOutcome {
  kFinished,    // every line ran (or the program was empty)
  kStopped,     // Stop, or a newer run, ended it at a test between two lines
  kUnbalanced,  // the warning was shown and nothing ran
};

class ProgramRunner {
 public:
  ProgramRunner(LineExecutor& executor, const VariableTable& variables, TraceList& trace)
      : executor_(executor), variables_(variables), trace_(trace) {}
  ProgramRunner(const ProgramRunner&) = delete;
  ProgramRunner& operator=(const ProgramRunner&) = delete;

  // Runs the host's program. A KurovelError (a repeat count that is no integer,
  // an arithmetic error of a line) ends the run at every level; Run and Stop are
  // back to idle when it leaves this function.
  RunOutcome RunProgram(RunnerHost& host);
  // Stop: the current run executes no further line.
  void StopProgram(RunnerHost& host);

  // True after construction and after every Run, false after Stop.
  bool RunEnabled() const { return run_enabled_; }
  // True while some RunProgram call has not returned.
  bool Running() const { return active_runs_ > 0; }
  // What the latest run built; kept until the next Run.
  const LineBuffer& NormalizedProgram() const { return current_->program; }

  // Called before every line that a run is about to execute, with the line's
  // index, before the test whether the run may go on: a Stop given here takes
  // effect at once. Lines without turtle commands pass here too, so the hook
  // bounds and paces loops that never reach the executor's pending-events hook.
  using LineHook = std::function<void(std::int32_t line)>;
  void SetLineHook(LineHook hook) { line_hook_ = std::move(hook); }

 private:
  // Everything one run reads while it executes. A newer run makes a new one, so an
  // older run that is still unwinding never sees the newer run's tables.
  struct RunState {
    LineBuffer program;
    BlockTables tables;
  };

  // One repetition level on the explicit stack that replaces recursion.
  struct Frame {
    std::int32_t first = 0;   // first line of the body
    std::int32_t end = 0;     // the body ends before this line
    std::int64_t passes = 0;  // passes left, the current one included
    std::int32_t line = 0;    // the next line to run in the current pass
  };

  bool MayContinue(const RunState& run) const { return run_enabled_ && current_.get() == &run; }
  bool ExecuteProgram(const RunState& run);
  void RunBlock(std::vector<Frame>& frames, std::int32_t start, std::int32_t end, std::string_view repeat_line);
  std::int32_t BlockCount(std::string_view count_text) const;

  LineExecutor& executor_;
  const VariableTable& variables_;
  TraceList& trace_;
  std::shared_ptr<RunState> current_ = std::make_shared<RunState>();
  bool run_enabled_ = true;
  int active_runs_ = 0;
  LineHook line_hook_;
};

}  // namespace kurovel
