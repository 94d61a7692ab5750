#include "language/runner.h"

#include <iterator>
#include <utility>

#include "engine/limits.h"
#include "language/errors.h"
#include "language/normalizer.h"
#include "language/numbers.h"
#include "language/scoped_count.h"

namespace kurovel {
namespace {

// Writes table[index], growing the table as needed; index is never negative.
void Store(std::vector<std::int32_t>& table, std::int32_t index, std::int32_t value) {
  const auto slot = static_cast<std::size_t>(index);
  if (slot >= table.size()) table.resize(slot + 1, 0);
  table[slot] = value;
}

// table[index], or 0 for an entry the table does not have.
std::int32_t EntryOrZero(const std::vector<std::int32_t>& table, std::size_t index) {
  return index < table.size() ? table[index] : 0;
}

bool StartsWithVarIgnoringCase(std::string_view text) {
  if (text.size() < 3) return false;
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return lower(text[0]) == 'v' && lower(text[1]) == 'a' && lower(text[2]) == 'r';
}

}  // namespace

bool IsRepeatLine(std::string_view line) {
  return line.find("repeat") != std::string_view::npos || line.find("REPEAT") != std::string_view::npos;
}

bool IsNextLine(std::string_view line) {
  return line.find("next") != std::string_view::npos || line.find("NEXT") != std::string_view::npos;
}

std::string RepeatCountText(std::string_view line) {
  std::string count;
  const auto blank = line.find(' ');
  if (blank != std::string_view::npos) {
    for (const char c : line.substr(blank + 1)) {
      if (c != ' ') count.push_back(c);
    }
  }
  if (count.empty()) count = "1";
  return count;
}

BlockTables ScanBlocks(const LineBuffer& program) {
  BlockTables t;
  const std::size_t lines = program.size();
  t.matching_next.assign(lines, 0);
  t.repeat_line.assign(lines, false);
  std::int32_t m = 0;  // nexts since the depth was last 0; places next_lines entries

  for (std::size_t i = 0; i < lines; ++i) {
    const auto line = static_cast<std::int32_t>(i);
    const std::string_view text = program[i];
    if (IsRepeatLine(text)) {
      t.repeat_line[i] = true;
      // Below depth 0 (after a stray next) there is no slot to remember it in.
      if (t.depth >= 0) Store(t.open_repeats, t.depth, line);
      Store(t.repeat_lines, t.repeat_total, line);
      ++t.repeat_total;
      ++t.depth;
    }
    if (IsNextLine(text)) {
      if (t.depth <= 0) {
        // Nothing is open for it to close: remember only that the program is unbalanced.
        --t.depth;
        t.stray_next = true;
        continue;
      }
      --t.depth;
      t.matching_next[static_cast<std::size_t>(t.open_repeats[static_cast<std::size_t>(t.depth)])] = line;
      ++m;
      // m never exceeds the repeats counted since the depth was last 0, so this is >= 0.
      Store(t.next_lines, t.repeat_total - m, line);
      if (t.depth == 0) {
        Store(t.next_lines, t.repeat_total, line);
        m = 0;
      }
    }
  }
  // The trace reads entries 0 to repeat_total of both tables.
  const auto per_repeat = static_cast<std::size_t>(t.repeat_total) + 1;
  if (t.repeat_lines.size() < per_repeat) t.repeat_lines.resize(per_repeat, 0);
  if (t.next_lines.size() < per_repeat) t.next_lines.resize(per_repeat, 0);
  return t;
}

void WriteBlockTrace(const BlockTables& t, const LineBuffer& program, TraceList& trace) {
  const std::size_t lines = t.repeat_line.size();
  const auto repeats = static_cast<std::size_t>(t.repeat_total < 0 ? 0 : t.repeat_total);
  trace.Append("rn=" + std::to_string(t.repeat_total));
  std::string entry;
  for (std::size_t i = 0; i < lines; ++i) {
    if (trace.Full()) {
      // Past the trace's limit the rest is only counted: the lines left, the
      // entries 0 to repeats and the closing line.
      trace.Omit((lines - i) + (repeats + 1) + 1);
      return;
    }
    // Block start and count text are those of a repeat line, 0 and empty elsewhere.
    const bool repeat = t.repeat_line[i];
    entry = std::to_string(repeat ? i : 0);
    entry += ':';
    entry += std::to_string(EntryOrZero(t.matching_next, i));
    entry += ':';
    if (repeat) entry += RepeatCountText(program[i]);
    trace.Append(entry);
  }
  for (std::size_t k = 0; k <= repeats; ++k) {
    trace.Append(std::to_string(EntryOrZero(t.repeat_lines, k)) + ":" + std::to_string(EntryOrZero(t.next_lines, k)));
  }
  trace.Append("j=" + std::to_string(t.depth));
}

RunOutcome ProgramRunner::RunProgram(RunnerHost& host) {
  const ScopedCount active(active_runs_);  // the calls of RunProgram that have not returned
  run_enabled_ = true;
  host.SetStopEnabled(true);
  host.SetRunEnabled(false);
  // A fresh state for this run: an older run still unwinding keeps its own.
  const auto run = std::make_shared<RunState>();
  current_ = run;
  try {
    const LineBuffer& program_lines = host.ProgramLines();
    trace_.Clear();
    run->program.reserve(program_lines.size(), program_lines.byte_size());
    for (const std::string_view line : program_lines) {
      run->program.push_back(NormalizeLine(line.substr(0, kMaxLineBytes)));
    }
    run->program.shrink_to_fit();
    run->tables = ScanBlocks(run->program);
    WriteBlockTrace(run->tables, run->program, trace_);

    RunOutcome outcome = RunOutcome::kFinished;
    if (!run->tables.Balanced()) {
      host.ShowWarning(kWarningCaption, kUnbalancedWarning);
      outcome = RunOutcome::kUnbalanced;
    } else if (!ExecuteProgram(*run)) {
      return RunOutcome::kStopped;  // the buttons stay as Stop (or the newer run) left them
    }
    if (current_ == run) {
      host.SetStopEnabled(false);
      host.SetRunEnabled(true);
    }
    return outcome;
  } catch (...) {
    // An error ends the run at every level; back to idle unless a newer run owns the buttons.
    if (current_ == run) {
      host.SetStopEnabled(false);
      host.SetRunEnabled(true);
    }
    throw;
  }
}

void ProgramRunner::StopProgram(RunnerHost& host) {
  run_enabled_ = false;
  host.SetStopEnabled(false);
  host.SetRunEnabled(true);
}

// Nested repetition without recursion: every open block is a frame on an explicit
// stack, so nesting depth costs heap, not C++ stack. Whether the run may go on is
// tested before every line at every level.
bool ProgramRunner::ExecuteProgram(const RunState& run) {
  const BlockTables& t = run.tables;
  std::vector<Frame> frames;
  const auto line_count = static_cast<std::int32_t>(run.program.size());
  frames.push_back(Frame{.first = 0, .end = line_count, .passes = 1, .line = 0});
  while (!frames.empty()) {
    Frame& frame = frames.back();
    if (frame.line >= frame.end) {
      if (--frame.passes > 0) {
        frame.line = frame.first;
      } else {
        frames.pop_back();
      }
      continue;
    }
    if (line_hook_) line_hook_(frame.line);
    if (!MayContinue(run)) return false;
    const auto line = static_cast<std::size_t>(frame.line);
    if (t.repeat_line[line]) {
      // Execution goes on after the matching next once the block has run.
      frame.line = t.matching_next[line] + 1;
      RunBlock(frames, static_cast<std::int32_t>(line), t.matching_next[line], run.program[line]);
    } else {
      frame.line += 1;
      executor_.ExecuteLine(run.program[line]);
    }
  }
  return true;
}

// Enters a block: its count is evaluated now, once, and its passes run as a new
// frame of ExecuteProgram's loop.
void ProgramRunner::RunBlock(std::vector<Frame>& frames, std::int32_t start, std::int32_t end,
                             std::string_view repeat_line) {
  const std::int32_t passes = BlockCount(RepeatCountText(repeat_line));
  // An empty body runs nothing however many passes it has.
  if (passes <= 0 || start + 1 >= end) return;
  frames.push_back(Frame{.first = start + 1, .end = end, .passes = passes, .line = start + 1});
}

std::int32_t ProgramRunner::BlockCount(std::string_view count_text) const {
  if (StartsWithVarIgnoringCase(count_text)) return variables_.VariableValue(count_text);
  if (const auto n = TextToInteger(count_text)) return *n;
  throw KurovelError(NotAnIntegerMessage(count_text));
}

}  // namespace kurovel
