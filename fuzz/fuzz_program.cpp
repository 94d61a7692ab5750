// A whole program run by the Run button: any bytes are cut into lines as a program
// file is, then run on a small surface.
//
// Endless programs are ended by a budget of commands: the pending-events hook,
// which every command passes, presses Stop once the budget is spent. Lines that
// issue no command (blank lines, the variable lines, unknown single words) never
// reach the hook, so a block made of them alone could repeat two billion times.
// To bound that work, a line holding one command word that does nothing ("zz 0"
// passes the hook and moves nothing) is put before every program line: every
// pass of a non-empty block then spends budget, and the pairing of the blocks,
// which only counts repeat and next lines, is unchanged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/raster_surface.h"
#include "language/errors.h"
#include "language/program_lines.h"
#include "language/runner.h"
#include "language/session.h"

namespace {

constexpr int kCommandBudget = 20000;
constexpr std::string_view kTickLine = "zz 0";

kurovel::LineBuffer WithTicks(const kurovel::LineBuffer& lines) {
  kurovel::LineBuffer ticked;
  for (const std::string_view line : lines) {
    ticked.push_back(kTickLine);
    ticked.push_back(line);
  }
  return ticked;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  kurovel::RasterSurface surface(64, 48);
  kurovel::Session session(surface);
  session.StartAndRepaint();
  kurovel::HeadlessRunnerHost host(WithTicks(kurovel::ProgramLines(bytes)));

  int commands = 0;
  session.executor.SetPendingEventsHook([&] {
    if (++commands == kCommandBudget) session.runner.StopProgram(host);
  });
  try {
    session.runner.RunProgram(host);
  } catch (const kurovel::KurovelError&) {
    // A count that is no integer or an arithmetic error ends the run.
  }
  // Whatever ended the run, the buttons must be back to idle.
  if (!host.run_enabled || host.stop_enabled || session.runner.Running()) __builtin_trap();
  return 0;
}
