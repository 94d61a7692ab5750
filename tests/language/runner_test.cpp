#include "language/runner.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "engine/raster_surface.h"
#include "language/cp932.h"
#include "language/errors.h"
#include "language/session.h"

namespace kurovel {
namespace {

using Lines = std::vector<std::string>;
using Vars = std::array<std::int32_t, 3>;  // var1 to var3

class RunnerTest : public ::testing::Test {
 protected:
  RunnerTest() {
    session.executor.SetPendingEventsHook([this] {
      ++events;
      if (on_event) on_event();
    });
  }
  // Runs from fresh counters; var3 preset, the other variables 0.
  RunOutcome Run(const Lines& lines, std::int32_t var3 = 0) {
    session.variables.SetAll(0);
    session.variables.SetVariable(3, var3);
    events = 0;
    host.lines = HeadlessRunnerHost(lines).lines;
    return session.runner.RunProgram(host);
  }
  Vars Variables() const { return {session.variables.Get(1), session.variables.Get(2), session.variables.Get(3)}; }
  bool Idle() const { return host.run_enabled && !host.stop_enabled; }

  RasterSurface surface{361, 446};
  Session session{surface};
  HeadlessRunnerHost host;
  int events = 0;
  std::function<void()> on_event;
};

TEST_F(RunnerTest, RunsBlocksAsOftenAsTheirCountSays) {
  const struct { Lines lines; std::int32_t var3; Vars after; } cases[] = {  // lines in UTF-8
      {{"repeat 4", "inc var1 1", "next"}, 0, {4, 0, 0}},
      {{"repeat", "inc var1 1", "next"}, 0, {1, 0, 0}},
      {{"repeat 1 0", "inc var1 1", "next"}, 0, {10, 0, 0}},
      {{"repeat -2", "inc var1 1", "next", "inc var2 1"}, 0, {0, 1, 0}},
      {{"repeat 2", "repeat 3", "inc var1 1", "next", "inc var2 1", "next"}, 0, {6, 2, 0}},
      {{"repeat var3", "inc var1 1", "next"}, 3, {3, 0, 3}},
      {{"repeat VAR3", "inc var1 1", "next"}, 3, {0, 0, 3}},
      {{"repeat var3", "inc var1 1", "dec var3 1", "next"}, 3, {3, 0, 0}},  // passes begun stay
      {{"repeat 3", "repeat var3", "inc var1 1", "next", "inc var3 1", "next"}, 1, {6, 0, 4}},
      {{"repeat 2", "inc var1 1", "next 0 var2 5"}, 0, {2, 0, 0}},  // a next line never runs
      {{"くりかえし　３", "ふやす　変数１　１", "ここまで"}, 0, {3, 0, 0}},
      {{"repeat" + std::string(4090, ' ') + "3", "inc var1 1", "next"}, 0, {1, 0, 0}},  // "3" is byte 4097
  };
  for (const auto& c : cases) {
    Lines lines;
    for (const auto& line : c.lines) lines.push_back(Sjis(line));
    SCOPED_TRACE(c.lines.front());
    EXPECT_EQ(Run(lines, c.var3), RunOutcome::kFinished);
    EXPECT_EQ(Variables(), c.after);
    EXPECT_TRUE(Idle());
  }
}

TEST_F(RunnerTest, WritesTheTraceAndRefusesUnbalancedPrograms) {
  const struct { Lines lines; bool balanced; Lines trace; } cases[] = {
      {{}, true, {"rn=0", "0:0", "j=0"}},
      {{"repeat 2", "repeat 3", "fd 10", "next", "rt 90", "next"}, true,
       {"rn=2", "0:5:2", "1:3:3", "0:0:", "0:0:", "0:0:", "0:0:", "0:5", "1:3", "0:5", "j=0"}},
      {{"repeat 2", "repeat 3", "next", "repeat 4", "next", "next"}, true,
       {"rn=3", "0:5:2", "1:2:3", "0:0:", "3:4:4", "0:0:", "0:0:", "0:5", "1:4", "3:0", "0:5", "j=0"}},
      {{"Repeat 4", "inc var1 1", "next"}, false, {"rn=0", "0:0:", "0:0:", "0:0:", "0:0", "j=-1"}},
      {{"next", "repeat 2", "inc var1 1"}, false, {"rn=1", "0:0:", "1:0:2", "0:0:", "1:0", "0:0", "j=0"}},
      {{"repeat 1", "inc var1 1", "next", "next"}, false,
       {"rn=1", "0:2:1", "0:0:", "0:0:", "0:0:", "0:2", "0:2", "j=-1"}},
      {{"repeat 2", "repeat 2", "inc var1 1", "next"}, false,
       {"rn=2", "0:0:2", "1:3:2", "0:0:", "0:0:", "0:0", "1:3", "0:0", "j=1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.trace.back() + " " + std::to_string(c.lines.size()));
    host.warnings.clear();
    session.trace.Append("left over");
    EXPECT_EQ(Run(c.lines), c.balanced ? RunOutcome::kFinished : RunOutcome::kUnbalanced);
    EXPECT_EQ(session.trace.Lines(), c.trace);
    EXPECT_EQ(session.runner.NormalizedProgram(), c.lines);
    EXPECT_EQ(host.warnings, c.balanced ? Lines{} : Lines{std::string(kUnbalancedWarning)});
    if (!c.balanced) {
      EXPECT_EQ(Variables()[0], 0) << "nothing of an unbalanced program runs";
    }
    EXPECT_TRUE(Idle());
  }
}

TEST_F(RunnerTest, AnErrorEndsTheRunAtEveryLevelAndLeavesTheButtonsIdle) {
  const struct { Lines lines; std::string message; Vars after; } cases[] = {
      {{"inc var1 1", "repeat 4 fd 100", "inc var2 1", "next"}, NotAnIntegerMessage("4fd100"), {1, 0, 0}},
      {{"inc var1 1", "repeat 2 next", "inc var2 1"}, NotAnIntegerMessage("2next"), {1, 0, 0}},
      {{"var1 7", "repeat 3", "repeat 2", "inc var2 1", "div var1 0", "next", "next", "inc var2 9"},
       std::string(kDivisionByZero), {7, 1, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      Run(c.lines);
      ADD_FAILURE() << "no error";
    } catch (const KurovelError& error) {
      EXPECT_EQ(error.what(), c.message);
    }
    EXPECT_EQ(Variables(), c.after);
    EXPECT_TRUE(Idle());
    EXPECT_FALSE(session.runner.Running());
  }
}

TEST_F(RunnerTest, StopTakesEffectBeforeTheNextLineAtEveryLevel) {
  // Stop is pressed in the stop_at-th delivery of pending events.
  const struct { Lines lines; int stop_at; Vars after; int events; } cases[] = {
      {{"fd 10 rt 90 var1 5", "inc var2 1"}, 1, {5, 0, 0}, 3},  // the rest of the line runs
      {{"repeat 3", "repeat 4", "inc var1 1", "fd 1", "next", "inc var2 1", "next", "inc var3 1"}, 5, {5, 1, 0}, 5},
      {{"repeat 1000", "inc var1 1", "next", "fd 1 rt 1", "inc var2 1"}, 1, {1000, 0, 0}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines.front());
    on_event = [&] {
      if (events == c.stop_at) session.runner.StopProgram(host);
    };
    EXPECT_EQ(Run(c.lines), RunOutcome::kStopped);
    EXPECT_EQ(Variables(), c.after);
    EXPECT_EQ(events, c.events);
    EXPECT_FALSE(session.runner.RunEnabled());
    EXPECT_TRUE(Idle());
  }
}

TEST_F(RunnerTest, RunPressedAgainAfterStopNeverResumesTheStoppedRun) {
  const Lines second = {"inc var2 1", "repeat 2", "rt 1", "next"};
  RunOutcome inner = RunOutcome::kUnbalanced;
  on_event = [&] {
    if (events != 1) return;
    session.runner.StopProgram(host);
    host.lines = HeadlessRunnerHost(second).lines;
    inner = session.runner.RunProgram(host);
  };
  EXPECT_EQ(Run({"repeat 3", "fd 1", "inc var1 1", "next", "inc var1 100"}), RunOutcome::kStopped);
  EXPECT_EQ(inner, RunOutcome::kFinished);
  EXPECT_EQ(Variables(), (Vars{0, 1, 0})) << "the stopped run executed another line";
  EXPECT_EQ(events, 3);
  EXPECT_EQ(session.runner.NormalizedProgram(), second);
  EXPECT_TRUE(session.runner.RunEnabled());
  EXPECT_TRUE(Idle());
}

TEST_F(RunnerTest, ButtonsAndWarningInTheOrderOfTheHandlers) {
  struct LoggingHost : HeadlessRunnerHost {
    void SetRunEnabled(bool on) override { log += on ? "run+ " : "run- "; }
    void SetStopEnabled(bool on) override { log += on ? "stop+ " : "stop- "; }
    void ShowWarning(std::string_view caption, std::string_view text) override {
      log += std::string(caption) + "|" + std::string(text) + " ";
    }
    std::string log;
  } logging;
  logging.lines = {"repeat 2"};
  session.runner.RunProgram(logging);
  EXPECT_EQ(logging.log, "stop+ run- 警告|繰り返しの対(RepeatとNextの数)が一致していません stop- run+ ");
}

TEST_F(RunnerTest, HundredThousandLineProgram) {
  Lines lines;
  for (int i = 0; i < 33'333; ++i) lines.insert(lines.end(), {"repeat 2", "inc var1 1", "next"});
  lines.push_back("inc var2 1");
  EXPECT_EQ(Run(lines), RunOutcome::kFinished);
  EXPECT_EQ(Variables(), (Vars{66'666, 1, 0}));
  const LineBuffer& trace = session.trace.Lines();
  ASSERT_EQ(trace.size(), 1 + 100'000 + 33'334 + 1u);  // rn=, lines, pairs 0 to 33,333, j=
  EXPECT_EQ(trace[100'001 + 33'332], "99996:99998");
  EXPECT_EQ(trace[100'001 + 33'333], "0:99998");
}

TEST_F(RunnerTest, DeeplyNestedBlocksRunWithoutExhaustingTheStack) {
  constexpr int kDepth = 30'000;
  Lines lines(kDepth, "repeat 1");
  lines.back() = "repeat 3";
  lines.push_back("inc var1 1");
  lines.insert(lines.end(), kDepth, "next");
  lines.push_back("inc var2 1");
  EXPECT_EQ(Run(lines), RunOutcome::kFinished);
  EXPECT_EQ(Variables(), (Vars{3, 1, 0}));
}

// The trace keeps its first lines and counts the rest, so an endless "div" loop
// cannot outgrow memory; what it keeps is what an unbounded trace would begin with.
TEST_F(RunnerTest, TraceKeepsItsFirstLinesAndCountsTheRest) {
  const std::int32_t passes = static_cast<std::int32_t>(kMaxTraceLines) + 10;
  EXPECT_EQ(Run({"repeat " + std::to_string(passes), "div var3 1", "next"}, 5), RunOutcome::kFinished);
  const LineBuffer& trace = session.trace.Lines();
  ASSERT_EQ(trace.size(), kMaxTraceLines);
  // rn=1, three line entries, the pairs 0 and 1, j=0: seven block lines, then one line a div.
  EXPECT_EQ(trace[0], "rn=1");
  EXPECT_EQ(trace[6], "j=0");
  EXPECT_EQ(trace[7], "1::");
  EXPECT_EQ(trace.back(), "1::");
  EXPECT_EQ(session.trace.Omitted(), 7u + static_cast<std::uint64_t>(passes) - kMaxTraceLines);
  // The next run starts a fresh trace.
  EXPECT_EQ(Run({"div var3 2"}, 4), RunOutcome::kFinished);
  EXPECT_EQ(session.trace.Lines(), (Lines{"rn=0", "0:0:", "0:0", "j=0", "2::"}));
  EXPECT_EQ(session.trace.Omitted(), 0u);
}

}  // namespace
}  // namespace kurovel
