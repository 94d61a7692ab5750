#include "language/runner.h"

#include <gtest/gtest.h>

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

std::vector<std::string> ToSjis(const std::vector<std::string>& utf8_lines) {
  std::vector<std::string> lines;
  for (const auto& line : utf8_lines) lines.push_back(Sjis(line));
  return lines;
}

class RunnerTest : public ::testing::Test {
 protected:
  RunnerTest() {
    session.variables.SetAll(0);
    session.executor.SetPendingEventsHook([this] {
      ++events;
      if (on_event) on_event();
    });
  }

  RunOutcome Run(const Lines& lines) {
    host.lines = lines;
    return session.runner.RunProgram(host);
  }
  std::int32_t Var(int k) const { return session.variables.Get(k); }
  void ExpectIdle() const {
    EXPECT_TRUE(host.run_button_enabled);
    EXPECT_FALSE(host.stop_button_enabled);
  }

  RasterSurface surface{361, 446};
  Session session{surface};
  HeadlessRunnerHost host;
  int events = 0;
  std::function<void()> on_event;
};

// Passes of the body, counted with "inc"; var3 is preset for the count.
struct PassCase {
  const char* name;
  Lines lines;  // UTF-8
  std::int32_t var3;
  std::int32_t var1, var2, var3_after;
};

TEST_F(RunnerTest, RunsBlocksAsOftenAsTheirCountSays) {
  const std::vector<PassCase> cases = {
      {"plain", {"repeat 4", "inc var1 1", "next"}, 0, 4, 0, 0},
      {"no count", {"repeat", "inc var1 1", "next"}, 0, 1, 0, 0},
      {"no blank", {"repeat4", "inc var1 1", "next"}, 0, 1, 0, 0},
      {"blanks removed", {"repeat 1 0", "inc var1 1", "next"}, 0, 10, 0, 0},
      {"zero", {"repeat 0", "inc var1 1", "next", "inc var2 1"}, 0, 0, 1, 0},
      {"negative", {"repeat -2", "inc var1 1", "next", "inc var2 1"}, 0, 0, 1, 0},
      {"hexadecimal", {"repeat $A", "inc var1 1", "next"}, 0, 10, 0, 0},
      {"nested", {"repeat 2", "repeat 3", "inc var1 1", "next", "inc var2 1", "next"}, 0, 6, 2, 0},
      {"sequential", {"repeat 2", "inc var1 1", "next", "repeat 3", "inc var2 1", "next"}, 0, 2, 3, 0},
      {"variable count", {"repeat var3", "inc var1 1", "next"}, 3, 3, 0, 3},
      {"variable name in capitals", {"repeat VAR3", "inc var1 1", "next"}, 3, 0, 0, 3},
      {"no such variable", {"repeat var11", "inc var1 1", "next"}, 3, 0, 0, 3},
      {"body changes its count", {"repeat var3", "inc var1 1", "dec var3 1", "next"}, 3, 3, 0, 0},
      {"nested count re-read", {"repeat 3", "repeat var3", "inc var1 1", "next", "inc var3 1", "next"}, 1, 6, 0, 4},
      {"next line never executed", {"repeat 2", "inc var1 1", "next 0 var2 5"}, 0, 2, 0, 0},
      {"self-closing line", {"repeat var5 next", "inc var1 1"}, 0, 1, 0, 0},
      {"empty body", {"repeat 2000000000", "next", "inc var1 1"}, 0, 1, 0, 0},
      {"Japanese words", {"くりかえし　３", "ふやす　変数１　１", "ここまで"}, 0, 3, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    session.variables.SetAll(0);
    session.variables.SetVariable(3, c.var3);
    EXPECT_EQ(Run(ToSjis(c.lines)), RunOutcome::kFinished);
    EXPECT_EQ(Var(1), c.var1);
    EXPECT_EQ(Var(2), c.var2);
    EXPECT_EQ(Var(3), c.var3_after);
    ExpectIdle();
    EXPECT_EQ(session.runner.RunEnabled(), 1);
  }
}

struct TraceCase {
  const char* name;
  Lines lines;
  RunOutcome outcome;
  Lines trace;
};

TEST_F(RunnerTest, WritesTheTraceAndRefusesUnbalancedPrograms) {
  const std::vector<TraceCase> cases = {
      {"empty editor", {}, RunOutcome::kFinished, {"rn=0", "0:0", "j=0"}},
      {"six lines",
       {"repeat 2", "repeat 3", "fd 10", "next", "rt 90", "next"},
       RunOutcome::kFinished,
       {"rn=2", "0:5:2", "1:3:3", "0:0:", "0:0:", "0:0:", "0:0:", "0:5", "1:3", "0:5", "j=0"}},
      {"later repeat overwrites",
       {"repeat 2", "repeat 3", "next", "repeat 4", "next", "next"},
       RunOutcome::kFinished,
       {"rn=3", "0:5:2", "1:2:3", "0:0:", "3:4:4", "0:0:", "0:0:", "0:5", "1:4", "3:0", "0:5", "j=0"}},
      {"self-closing", {"repeat var5 next"}, RunOutcome::kFinished, {"rn=1", "0:0:var5next", "0:0", "0:0", "j=0"}},
      {"mixed-case repeat",
       {"Repeat 4", "inc var1 1", "rt 90", "next"},
       RunOutcome::kUnbalanced,
       {"rn=0", "0:0:", "0:0:", "0:0:", "0:0:", "0:0", "j=-1"}},
      {"leading next", {"next", "inc var1 1"}, RunOutcome::kUnbalanced, {"rn=0", "0:0:", "0:0:", "0:0", "j=-1"}},
      {"next then repeat",
       {"next", "repeat 2", "inc var1 1"},
       RunOutcome::kUnbalanced,
       {"rn=1", "0:0:", "1:0:2", "0:0:", "1:0", "0:0", "j=0"}},
      {"stray next then a pair",
       {"next", "repeat 2", "repeat 3", "inc var1 1", "next"},
       RunOutcome::kUnbalanced,
       {"rn=2", "0:0:", "1:0:2", "2:4:3", "0:0:", "0:0:", "1:0", "2:4", "0:4", "j=0"}},
      {"one next too many",
       {"repeat 1", "inc var1 1", "next", "next"},
       RunOutcome::kUnbalanced,
       {"rn=1", "0:2:1", "0:0:", "0:0:", "0:0:", "0:2", "0:2", "j=-1"}},
      {"repeat left open",
       {"repeat 2", "repeat 2", "inc var1 1", "next"},
       RunOutcome::kUnbalanced,
       {"rn=2", "0:0:2", "1:3:2", "0:0:", "0:0:", "0:0", "1:3", "0:0", "j=1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    session.variables.SetAll(0);
    host.warnings.clear();
    events = 0;
    session.trace = {"left over"};
    EXPECT_EQ(Run(c.lines), c.outcome);
    EXPECT_EQ(session.trace, c.trace);
    EXPECT_EQ(session.runner.NormalizedProgram(), c.lines);
    ExpectIdle();
    if (c.outcome == RunOutcome::kUnbalanced) {
      EXPECT_EQ(host.warnings, Lines{std::string(kUnbalancedWarning)});
      EXPECT_EQ(Var(1), 0) << "nothing of an unbalanced program runs";
      EXPECT_EQ(events, 0);
    } else {
      EXPECT_TRUE(host.warnings.empty());
    }
  }
}

TEST_F(RunnerTest, SixLineExampleMovesAndTurnsAsNested) {
  const TurtleState start = session.turtle.State();
  EXPECT_EQ(Run({"repeat 2", "repeat 3", "fd 10", "next", "rt 90", "next"}), RunOutcome::kFinished);
  const TurtleState& end = session.turtle.State();
  EXPECT_EQ(events, 8);  // six moves, two turns
  EXPECT_EQ(end.Heading, start.Heading + 180);
  EXPECT_EQ(end.X, start.X + 30);
  EXPECT_EQ(end.Y, start.Y - 30);
}

TEST_F(RunnerTest, SquareInMnemonicsAndInJapaneseEndsWhereItStarted) {
  for (const Lines& lines : {Lines{"repeat 4", "fd 100", "rt 90", "next"},
                             ToSjis({"くりかえし　４", "まえに　１００", "みぎへ　９０", "ここまで"})}) {
    const TurtleState start = session.turtle.State();
    EXPECT_EQ(Run(lines), RunOutcome::kFinished);
    EXPECT_EQ(session.turtle.State().X, start.X);
    EXPECT_EQ(session.turtle.State().Y, start.Y);
    EXPECT_EQ(session.turtle.State().Heading, 360);  // 360 stays 360; 450 drops to 90
    EXPECT_NE(surface.PixelAt(start.X + 100, start.Y - 50), clWhite) << "right side of the square drawn";
  }
}

struct ErrorCase {
  const char* name;
  Lines lines;
  std::string message;
  std::int32_t var1, var2;
};

TEST_F(RunnerTest, AnErrorEndsTheRunAtEveryLevelAndLeavesTheButtonsIdle) {
  const std::vector<ErrorCase> cases = {
      {"count with a command", {"inc var1 1", "repeat 4 fd 100", "inc var2 1", "next"},
       NotAnIntegerMessage("4fd100"), 1, 0},
      {"repeat and next on one line", {"inc var1 1", "repeat 2 next", "inc var2 1"}, NotAnIntegerMessage("2next"), 1, 0},
      {"nested count", {"repeat 3", "inc var1 1", "repeat abc", "next", "inc var2 1", "next"},
       NotAnIntegerMessage("abc"), 1, 0},
      {"division by zero two levels down",
       {"var1 7", "repeat 3", "repeat 2", "inc var2 1", "div var1 0", "next", "next", "inc var2 100"},
       std::string(kDivisionByZero), 7, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    session.variables.SetAll(0);
    try {
      Run(c.lines);
      ADD_FAILURE() << "no error";
    } catch (const KurovelError& error) {
      EXPECT_EQ(error.what(), c.message);
    }
    EXPECT_EQ(Var(1), c.var1);
    EXPECT_EQ(Var(2), c.var2);
    ExpectIdle();
    EXPECT_FALSE(session.runner.Running());
  }
}

// Stop pressed at the n-th delivery of pending events (1 = before the first command).
struct StopCase {
  const char* name;
  Lines lines;
  int stop_at;
  std::int32_t var1, var2, var3;
  int events;
};

TEST_F(RunnerTest, StopTakesEffectBeforeTheNextLineAtEveryLevel) {
  const std::vector<StopCase> cases = {
      {"rest of the line still runs", {"fd 10 rt 90 var1 5", "inc var2 1"}, 1, 5, 0, 0, 3},
      {"inside nested blocks",
       {"repeat 3", "repeat 4", "inc var1 1", "fd 1", "next", "inc var2 1", "next", "inc var3 1"},
       5, 5, 1, 0, 5},
      {"last pass of a block", {"repeat 2", "fd 1", "next", "inc var3 1"}, 2, 0, 0, 0, 2},
      {"block without events", {"repeat 1000", "inc var1 1", "next", "fd 1 rt 1", "inc var2 1"}, 1, 1000, 0, 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    session.variables.SetAll(0);
    events = 0;
    on_event = [&] {
      if (events == c.stop_at) {
        EXPECT_TRUE(session.runner.Running());
        EXPECT_FALSE(host.run_button_enabled);
        session.runner.Button7Click(host);
      }
    };
    EXPECT_EQ(Run(c.lines), RunOutcome::kStopped);
    EXPECT_EQ(Var(1), c.var1);
    EXPECT_EQ(Var(2), c.var2);
    EXPECT_EQ(Var(3), c.var3);
    EXPECT_EQ(events, c.events);
    EXPECT_EQ(session.runner.RunEnabled(), 0);
    ExpectIdle();
  }
}

TEST_F(RunnerTest, RunPressedAgainAfterStopNeverResumesTheStoppedRun) {
  const Lines first = {"repeat 3", "fd 1", "inc var1 1", "next", "inc var1 100"};
  const Lines second = {"inc var2 1", "repeat 2", "rt 1", "next"};
  RunOutcome inner = RunOutcome::kUnbalanced;
  on_event = [&] {
    if (events != 1) return;
    session.runner.Button7Click(host);
    host.lines = second;
    inner = session.runner.Button6Click(host);
  };
  host.lines = first;
  EXPECT_EQ(session.runner.RunProgram(host), RunOutcome::kStopped);
  EXPECT_EQ(inner, RunOutcome::kFinished);
  EXPECT_EQ(Var(1), 0) << "the stopped run executed another line";
  EXPECT_EQ(Var(2), 1);
  EXPECT_EQ(session.turtle.State().Heading, 2);
  EXPECT_EQ(events, 3);
  EXPECT_EQ(session.runner.NormalizedProgram(), second);
  EXPECT_EQ(session.trace.front(), "rn=1");
  EXPECT_EQ(session.runner.RunEnabled(), 1) << "the old run must not clear the newer run's flag";
  ExpectIdle();
}

TEST_F(RunnerTest, ButtonsChangeInTheOrderOfTheHandlers) {
  struct LoggingHost : HeadlessRunnerHost {
    void SetButton6Enabled(bool enabled) override { log += enabled ? "run+ " : "run- "; }
    void SetButton7Enabled(bool enabled) override { log += enabled ? "stop+ " : "stop- "; }
    void ShowWarning(std::string_view caption, std::string_view text) override {
      log += std::string(caption) + "|" + std::string(text) + " ";
    }
    std::string log;
  };
  LoggingHost logging;
  logging.lines = {"fd 1"};
  session.runner.RunProgram(logging);
  EXPECT_EQ(logging.log, "stop+ run- stop- run+ ");
  logging.log.clear();
  logging.lines = {"repeat 2"};
  session.runner.RunProgram(logging);
  EXPECT_EQ(logging.log, "stop+ run- 警告|繰り返しの対(RepeatとNextの数)が一致していません stop- run+ ");
}

TEST_F(RunnerTest, LinesAreCutBeforeTheyAreNormalised) {
  // The count "3" stands at byte 4097, beyond the part of the line that is read.
  const std::string long_repeat = "repeat" + std::string(4090, ' ') + "3";
  EXPECT_EQ(Run({long_repeat, "inc var1 1", "next"}), RunOutcome::kFinished);
  EXPECT_EQ(Var(1), 1);
  EXPECT_EQ(session.runner.Tables().CountText[0], "1");
}

TEST_F(RunnerTest, HundredThousandLineProgram) {
  Lines lines;
  for (int i = 0; i < 33'333; ++i) {
    lines.insert(lines.end(), {"repeat 2", "inc var1 1", "next"});
  }
  lines.push_back("inc var2 1");
  ASSERT_EQ(lines.size(), 100'000u);
  EXPECT_EQ(Run(lines), RunOutcome::kFinished);
  EXPECT_EQ(Var(1), 66'666);
  EXPECT_EQ(Var(2), 1);
  const BlockTables& tables = session.runner.Tables();
  EXPECT_EQ(tables.RepeatTotal, 33'333);
  EXPECT_EQ(tables.MatchingNext[99'996], 99'998);
  // rn=, one entry per line, RepeatTotal + 1 pairs, j=.
  ASSERT_EQ(session.trace.size(), 1 + 100'000 + 33'334 + 1u);
  EXPECT_EQ(session.trace[100'001 + 33'332], "99996:99998");
  EXPECT_EQ(session.trace[100'001 + 33'333], "0:99998");
}

TEST_F(RunnerTest, DeeplyNestedBlocksRunWithoutExhaustingTheStack) {
  constexpr int kDepth = 30'000;
  Lines lines(kDepth, "repeat 1");
  lines.back() = "repeat 3";
  lines.push_back("inc var1 1");
  lines.insert(lines.end(), kDepth, "next");
  lines.push_back("inc var2 1");
  EXPECT_EQ(Run(lines), RunOutcome::kFinished);
  EXPECT_EQ(Var(1), 3);
  EXPECT_EQ(Var(2), 1);
  EXPECT_EQ(session.runner.Tables().MatchingNext[0], 2 * kDepth);
  EXPECT_EQ(session.trace.back(), "j=0");

  // Stop from the innermost body unwinds every level without running another line.
  events = 0;
  on_event = [&] { session.runner.Button7Click(host); };
  lines[kDepth] = "fd 1";
  session.variables.SetAll(0);
  EXPECT_EQ(Run(lines), RunOutcome::kStopped);
  EXPECT_EQ(events, 1);
  EXPECT_EQ(Var(2), 0);
}

}  // namespace
}  // namespace kurovel
