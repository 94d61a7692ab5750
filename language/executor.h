#pragma once
// Executes one normalised line: pairs of command word and parameter, the
// three-word variable and position commands, and the single-word commands.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/turtle.h"
#include "language/trace_list.h"
#include "language/variables.h"

namespace kurovel {

// Delivers the events already waiting; the only point where a running program
// gives way to the user interface. Headless callers leave it empty.
using PendingEventsHook = std::function<void()>;

class LineExecutor {
 public:
  LineExecutor(Turtle& turtle, VariableTable& variables, TraceList& trace)
      : turtle_(turtle), variables_(variables), trace_(trace) {}

  void SetPendingEventsHook(PendingEventsHook hook) { pending_events_ = std::move(hook); }
  void ProcessPendingEvents() {
    if (pending_events_) pending_events_();
  }

  // How many commands have run: every command word with its parameter, every
  // single-word command and every "inc", "dec", "mlt", "div" and "pos" line.
  std::uint64_t CommandsRun() const { return commands_run_; }
  void CountCommand() { ++commands_run_; }

  // Throws KurovelError for the unhandled arithmetic errors of "div" and "mlt".
  void ExecuteLine(std::string_view line);
  // Delivers pending events, then runs one command word with its parameter text.
  void ExecuteCommand(std::string_view command, std::string_view parameter);

  void IncreaseVariable(std::string_view name, std::string_view value_text);
  void DecreaseVariable(std::string_view name, std::string_view value_text);
  void MultiplyVariable(std::string_view name, std::string_view factor_text);
  void DivideVariable(std::string_view name, std::string_view divisor_text);
  void MoveToPosition(std::string_view x_text, std::string_view y_text);

 private:
  Turtle& turtle_;
  VariableTable& variables_;
  TraceList& trace_;
  PendingEventsHook pending_events_;
  std::uint64_t commands_run_ = 0;
};

}  // namespace kurovel
