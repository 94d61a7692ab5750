#include "language/executor.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "engine/raster_surface.h"
#include "language/errors.h"

namespace kurovel {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// A turtle at the centre (180, 223) of a 361 x 446 surface, heading 0, arrow
// shown, every variable 10; the hook counts the deliveries of pending events.
class ExecutorTest : public ::testing::Test {
 protected:
  ExecutorTest() {
    turtle.ClearScreen();
    variables.SetAll(10);
    executor.SetPendingEventsHook([this] {
      ++events;
      if (on_events) on_events();
    });
  }
  void Run(const std::string& line, std::int32_t var1 = 10, std::int32_t var2 = 10) {
    turtle.ClearScreen();
    variables.SetVariable(1, var1);
    variables.SetVariable(2, var2);
    trace.Clear();
    events = 0;
    executor.ExecuteLine(line);
  }

  RasterSurface surface{361, 446};
  Turtle turtle{surface};
  VariableTable variables;
  TraceList trace;
  LineExecutor executor{turtle, variables, trace};
  int events = 0;
  std::function<void()> on_events;
};

TEST_F(ExecutorTest, PairsSingleWordsAndPositions) {
  struct Case { std::string line; std::int32_t x, y, heading; int events; };
  const Case cases[] = {
      {"fd 100 rt 90 fd 50", 230, 123, 90, 3}, {"fd 100 rt", 180, 123, 0, 1}, {"fd 100 ", 180, 123, 0, 1},
      {"  FD 10 Rt 90", 180, 213, 90, 2}, {"fd", 180, 223, 0, 0}, {"", 180, 223, 0, 0}, {"   ", 180, 223, 0, 0},
      {"fd 10 rt 90 fd 10 lt 45", 190, 213, 45, 4},
      {"fd 10  rt 90", 180, 213, 0, 2},  // the second blank makes "rt" the parameter of an empty word
      {"cls fd 100", 180, 223, 0, 1}, {"fd var1", 180, 213, 0, 1}, {"fd VAR1", 180, 223, 0, 1},
      {"fd var11", 180, 223, 0, 1}, {"fd 1.5", 180, 223, 0, 1}, {"fd +30", 180, 193, 0, 1},
      {"fd $10", 180, 207, 0, 1}, {"next", 180, 223, 0, 1}, {"NEXT", 180, 223, 0, 1}, {"repeat", 180, 223, 0, 0},
      {"var1", 180, 223, 0, 0}, {"var 1 50", 180, 223, 0, 1}, {"xyz 10 fd 20", 180, 203, 0, 2},
      {"fd -2147483648 bk -2147483648", 180, 223, 0, 2}, {"\x81 \x81 \x81", 180, 223, 0, 1},
      {"pos 100 50", 280, 173, 0, 0}, {"pos 100", 180, 123, 0, 0}, {"pos var1 var2", 190, 213, 0, 0},
      {"pos VAR1 var2", 180, 213, 0, 0}, {"pos 100 50 ", 280, 223, 0, 0}, {"pos 100 50 fd 10", 280, 223, 0, 0},
      {"POS 100 50", 180, 223, 0, 0}, {"posx 100 50", 180, 223, 0, 0},
      {"pos $FFFFFFFF 0x80000000", 179, -2147483425, 0, 0}, {"pos 2147483647 0", -2147483469, 223, 0, 0},
  };
  for (const Case& c : cases) {
    Run(c.line);
    const TurtleState& state = turtle.State();
    EXPECT_EQ((Point{state.x, state.y}), (Point{c.x, c.y})) << "'" << c.line << "'";
    EXPECT_EQ(state.heading, c.heading) << "'" << c.line << "'";
    EXPECT_EQ(events, c.events) << "'" << c.line << "'";
  }
  EXPECT_TRUE(trace.Lines().empty());
}

TEST_F(ExecutorTest, SingleWordLinesRunTheirCommand) {
  executor.ExecuteLine("pd 2 rt 45 pu 0 sho");  // "sho" has no partner and is ignored
  ASSERT_EQ(turtle.State().pen_down, false);
  for (const char* line : {"Pd", "SHO", "rdi"}) executor.ExecuteLine(line);
  EXPECT_EQ(turtle.State().pen_down, true);
  EXPECT_EQ(surface.GetPenColor(), 0u);  // PenDown(0): black
  EXPECT_EQ(turtle.State().arrow_visible, false);
  EXPECT_EQ(turtle.State().heading, 0);
}

TEST_F(ExecutorTest, VariableCommands) {
  struct Case { std::int32_t var1, var2; std::string line; std::int32_t result; std::string trace; };
  const Case cases[] = {
      {10, 10, "var1 50", 50, ""}, {10, 10, "VAR1 50", 50, ""}, {10, 7, "var1 var2", 7, ""},
      {10, 7, "var1 VAR2", 0, ""}, {10, 10, "inc var1 5", 15, ""}, {10, 10, "inc var1 5 ", 10, ""},
      {10, 10, "inc var1 5 fd 10", 10, ""}, {10, 10, "inc var1", 10, ""}, {10, 10, "INC var1 5", 10, ""},
      {10, 7, "inc var1 var2", 17, ""}, {10, 7, "inc var1 VaR2", 10, ""}, {10, 10, "inc var1 -3", 7, ""},
      {10, 10, "dec var1 3", 7, ""}, {10, 10, "inc VAR1 3", 10, ""}, {kMax, 10, "inc var1 1", kMin, ""},
      {kMin, 10, "dec var1 1", kMax, ""}, {5, 10, "mlt var1 0.5", 2, ""}, {5, 10, "mlt var1 1.5", 8, ""},
      {7, 10, "mlt var1 0.5", 4, ""}, {5, 10, "mlt var1 -0.5", -2, ""}, {5, 10, "mlt var1 x", 0, ""},
      {kMax, 10, "mlt var1 2", -2, ""}, {10, 10, "mlt var1 1e17", -1486618624, ""},  // low 32 bits of 10^18
      {kMin, 10, "mlt var1 4294967296", 0, ""},  // exactly -2^63 still fits
      {10, 10, "mlt foo 1e300", 10, ""}, {10, 10, "div var1 4", 2, "4::"}, {6, 10, "div var1 4", 2, "4::"},
      {-10, 10, "div var1 4", -2, "4::"}, {10, 10, "div var1 abc", 10, "1::"}, {10, 10, "div var1 1.5", 7, "1.5::"},
      {10, 4, "div var1 var2", 2, "4::"}, {10, 10, "div var1 0.000001", 10000000, "1E-6::"},
      {10, 10, "div var1 1e20", 0, "1E20::"}, {10, 10, "div foo 0", 10, "0::"},
      {10, 10, "div var1", 10, "10::"},  // the lone word is the divisor, the name is empty
  };
  for (const Case& c : cases) {
    Run(c.line, c.var1, c.var2);
    EXPECT_EQ(variables.Get(1), c.result) << "'" << c.line << "'";
    EXPECT_EQ(trace.Lines(), c.trace.empty() ? LineBuffer{} : LineBuffer{c.trace}) << "'" << c.line << "'";
    // Only pairs pass through ExecuteCommand; the three-word commands deliver no events.
    EXPECT_EQ(events, c.line.starts_with("var") || c.line.starts_with("VAR") ? 1 : 0) << "'" << c.line << "'";
  }
  executor.ExecuteLine("var10 -5");
  EXPECT_EQ(variables.Get(10), -5);
  EXPECT_EQ(variables.Get(9), 10);
}

TEST_F(ExecutorTest, ArithmeticErrorsLeaveTheVariable) {
  struct Case { std::int32_t var1, var2; std::string line; std::string_view message; std::string trace; };
  const Case cases[] = {
      {10, 10, "div var1 0", kDivisionByZero, "0::"}, {10, 10, "div var1 VAR2", kDivisionByZero, "0::"},
      {10, 0, "div var1 var2", kDivisionByZero, "0::"}, {0, 10, "div var1 0", kInvalidOperation, "0::"},
      {10, 10, "div var1 1e-300", kInvalidOperation, "1E-300::"}, {10, 10, "mlt var1 1e300", kInvalidOperation, ""},
      {kMin, 10, "mlt var1 -4294967296", kInvalidOperation, ""},  // 2^63
  };
  for (const Case& c : cases) {
    try {
      Run(c.line, c.var1, c.var2);
      ADD_FAILURE() << "no error for '" << c.line << "'";
    } catch (const KurovelError& error) {
      EXPECT_EQ(error.what(), c.message) << "'" << c.line << "'";
    }
    EXPECT_EQ(variables.Get(1), c.var1) << "'" << c.line << "'";
    EXPECT_EQ(trace.Lines(), c.trace.empty() ? LineBuffer{} : LineBuffer{c.trace}) << "'" << c.line << "'";
  }
}

TEST_F(ExecutorTest, EventsRunFirstAndMayRunALineOfTheirOwn) {
  on_events = [this] { variables.SetVariable(1, 50); };
  executor.ExecuteLine("fd var1");  // the value is read after the events ran
  EXPECT_EQ(turtle.State().y, 173);

  bool nested = false;
  on_events = [&] {
    if (!nested) nested = true, executor.ExecuteLine("rt 90");
  };
  executor.ExecuteLine("fd 10");  // the nested line turns the turtle before "fd" runs
  EXPECT_EQ((Point{turtle.State().x, turtle.State().y}), (Point{190, 173}));

  std::string program = "fd 10 rt 90 fd 10 rt 90 fd 10";
  on_events = [&] { program.assign(4096, 'x'); };  // the caller's text changes under the line
  Run(program);
  EXPECT_EQ((Point{turtle.State().x, turtle.State().y}), (Point{190, 223}));
  EXPECT_EQ(turtle.State().heading, 180);
}

}  // namespace
}  // namespace kurovel
