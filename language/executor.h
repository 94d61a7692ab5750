#pragma once
// Executes one normalised line: pairs of command word and parameter, the
// three-word variable and position commands, and the single-word commands.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/turtle.h"
#include "language/variables.h"

namespace kurovel {

// Hidden list of diagnostic lines (CP932): the run's trace and the "div" lines.
using TraceList = std::vector<std::string>;

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
};

}  // namespace kurovel
