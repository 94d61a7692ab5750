#include "language/executor.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "engine/color.h"
#include "engine/raster_surface.h"
#include "language/errors.h"

namespace kurovel {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// A turtle at the centre (180, 223) of a 361 x 446 surface, heading 0, blue pen,
// arrow shown, every variable 10; the hook counts the deliveries of events.
class ExecutorTest : public ::testing::Test {
 protected:
  ExecutorTest() {
    surface.SetPenColor(clBlue);
    turtle.ClearScreen();
    variables.SetAll(10);
    executor.SetPendingEventsHook([this] {
      ++events;
      if (on_events) on_events();
    });
  }

  RasterSurface surface{361, 446};
  Turtle turtle{surface};
  VariableTable variables;
  TraceList trace;
  LineExecutor executor{turtle, variables, trace};
  int events = 0;
  std::function<void()> on_events;
};

struct TurtleCase {
  std::string line;
  std::int32_t x, y, heading;
  int events;
};

TEST_F(ExecutorTest, PairsSingleWordsAndPositions) {
  const TurtleCase cases[] = {
      {"fd 100 rt 90 fd 50", 230, 123, 90, 3},
      {"fd 100 rt", 180, 123, 0, 1},
      {"fd 100 ", 180, 123, 0, 1},
      {"  fd 10", 180, 213, 0, 1},
      {"FD 10 Rt 90", 180, 213, 90, 2},
      {"fd", 180, 223, 0, 0},
      {"", 180, 223, 0, 0},
      {"   ", 180, 223, 0, 0},
      {"rt 90 fd", 180, 223, 90, 1},
      {"bk 50", 180, 273, 0, 1},
      {"fd 10 rt 90 fd 10 lt 45", 190, 213, 45, 4},
      // The pair drops its word, parameter and one byte; a second blank makes the
      // next word a parameter of the empty word.
      {"fd 10  rt 90", 180, 213, 0, 2},
      {"cls fd 100", 180, 223, 0, 1},
      {"fd var1", 180, 213, 0, 1},
      {"fd VAR1", 180, 223, 0, 1},
      {"fd var11", 180, 223, 0, 1},
      {"fd 1.5", 180, 223, 0, 1},
      {"fd abc", 180, 223, 0, 1},
      {"fd +30", 180, 193, 0, 1},
      {"fd $10", 180, 207, 0, 1},
      {"fd 30 ", 180, 193, 0, 1},
      {"rt 0", 180, 223, 90, 1},
      {"next", 180, 223, 0, 1},
      {"NEXT", 180, 223, 0, 1},
      {"repeat", 180, 223, 0, 0},
      {"var1", 180, 223, 0, 0},
      {"var 1 50", 180, 223, 0, 1},
      {"xyz 10 fd 20", 180, 203, 0, 2},
      {"pos 100 50", 280, 173, 0, 0},
      {"pos 100", 180, 123, 0, 0},
      {"pos var1 var2", 190, 213, 0, 0},
      {"pos VAR1 var2", 180, 213, 0, 0},
      {"pos 100 50 ", 280, 223, 0, 0},
      {"pos abc 50", 180, 173, 0, 0},
      {"pos 100 50 fd 10", 280, 223, 0, 0},
      {"POS 100 50", 180, 223, 0, 0},
      {"posx 100 50", 180, 223, 0, 0},
      {"fdx 10", 180, 223, 0, 1},
      {"fd -2147483648 bk -2147483648", 180, 223, 0, 2},
      {"pos $FFFFFFFF 0x80000000", 179, -2147483425, 0, 0},
      {"pos 2147483647 0", -2147483469, 223, 0, 0},
      {"\x81 \x81 \x81", 180, 223, 0, 1},
      {std::string("fd\0 10", 6), 180, 223, 0, 1},
  };
  for (const TurtleCase& c : cases) {
    turtle.ClearScreen();
    events = 0;
    executor.ExecuteLine(c.line);
    const TurtleState& state = turtle.State();
    EXPECT_EQ(state.X, c.x) << "'" << c.line << "'";
    EXPECT_EQ(state.Y, c.y) << "'" << c.line << "'";
    EXPECT_EQ(state.Heading, c.heading) << "'" << c.line << "'";
    EXPECT_EQ(events, c.events) << "'" << c.line << "'";
  }
  EXPECT_TRUE(trace.empty());
}

TEST_F(ExecutorTest, SingleWordCommandsAndPen) {
  executor.ExecuteLine("pd 2");
  EXPECT_EQ(surface.GetPenColor(), MakeColor(255, 0, 0));
  executor.ExecuteLine("Pd");  // PenDown(0): black
  EXPECT_EQ(surface.GetPenColor(), MakeColor(0, 0, 0));
  executor.ExecuteLine("pu");
  EXPECT_EQ(turtle.State().PenIsDown, 0);
  executor.ExecuteLine("fd 20 sho 1");
  EXPECT_EQ(turtle.State().ArrowVisible, 0);
  executor.ExecuteLine("rp");
  EXPECT_EQ(turtle.State().PenIsDown, 1);
  EXPECT_EQ(turtle.State().Y, 223);
  executor.ExecuteLine("SHO");
  EXPECT_EQ(turtle.State().ArrowVisible, 1);
  executor.ExecuteLine("rt 45 RDI");  // a last word without partner is ignored
  EXPECT_EQ(turtle.State().Heading, 45);
  executor.ExecuteLine("RDI");
  EXPECT_EQ(turtle.State().Heading, 0);
  EXPECT_EQ(events, 9);
}

struct VariableCase {
  std::int32_t var1, var2;
  std::string line;
  std::int32_t expected_var1;
  std::string trace;  // the one trace line expected, or empty for none
};

TEST_F(ExecutorTest, VariableCommands) {
  const VariableCase cases[] = {
      {10, 10, "var1 50", 50, ""},
      {10, 10, "VAR1 50", 50, ""},
      {10, 7, "var1 var2", 7, ""},
      {10, 7, "var1 VAR2", 0, ""},
      {10, 10, "var1 x", 0, ""},
      {10, 10, "inc var1 5", 15, ""},
      {10, 10, "inc var1 5 ", 10, ""},
      {10, 10, "inc var1 5 fd 10", 10, ""},
      {10, 10, "inc var1", 10, ""},
      {10, 10, "INC var1 5", 10, ""},
      {10, 10, "incr var1 5", 10, ""},
      {10, 7, "inc var1 var2", 17, ""},
      {10, 7, "inc var1 VaR2", 10, ""},
      {10, 10, "inc var1 -3", 7, ""},
      {10, 10, "dec var1 3", 7, ""},
      {10, 10, "inc VAR1 3", 10, ""},
      {10, 10, "inc var 3", 10, ""},
      {kMax, 10, "inc var1 1", kMin, ""},
      {kMin, 10, "dec var1 1", kMax, ""},
      {kMin, 10, "dec var1 $80000000", 0, ""},
      {5, 10, "mlt var1 0.5", 2, ""},
      {5, 10, "mlt var1 1.5", 8, ""},
      {7, 10, "mlt var1 0.5", 4, ""},
      {5, 10, "mlt var1 -0.5", -2, ""},
      {5, 10, "mlt var1 x", 0, ""},
      {5, 10, "mlt var1", 5, ""},  // no name: "var1" is the value, nothing changes
      {kMax, 10, "mlt var1 2", -2, ""},
      {10, 10, "mlt var1 1e17", -1486618624, ""},
      {kMin, 10, "mlt var1 4294967296", 0, ""},  // exactly -2^63 still fits
      {3, 10, "mlt var1 0.1", 0, ""},
      {10, 10, "mlt foo 1e300", 10, ""},
      {10, 10, "div var1 4", 2, "4::"},
      {6, 10, "div var1 4", 2, "4::"},
      {-10, 10, "div var1 4", -2, "4::"},
      {10, 10, "div var1 abc", 10, "1::"},
      {10, 10, "div var1 1.5", 7, "1.5::"},
      {10, 4, "div var1 var2", 2, "4::"},
      {10, 10, "div var1 0.000001", 10000000, "1E-6::"},
      {10, 10, "div var1 1e20", 0, "1E20::"},
      {10, 10, "div var1 -2", -5, "-2::"},
      {10, 10, "div foo 0", 10, "0::"},
      {10, 10, "div", 10, ""},
      {10, 10, "div var1", 10, "10::"},  // the lone word is the value, the name is empty
  };
  for (const VariableCase& c : cases) {
    variables.SetVariable(1, c.var1);
    variables.SetVariable(2, c.var2);
    trace.clear();
    events = 0;
    executor.ExecuteLine(c.line);
    EXPECT_EQ(variables.Get(1), c.expected_var1) << "'" << c.line << "'";
    // Only a pair passes through ExecuteCommand; the three-word commands deliver no events.
    EXPECT_EQ(events, c.line.starts_with("var") || c.line.starts_with("VAR") ? 1 : 0) << "'" << c.line << "'";
    if (c.trace.empty()) {
      EXPECT_TRUE(trace.empty()) << "'" << c.line << "'";
    } else {
      EXPECT_EQ(trace, TraceList{c.trace}) << "'" << c.line << "'";
    }
    EXPECT_EQ(turtle.State().Y, 223) << "'" << c.line << "'";
  }
}

TEST_F(ExecutorTest, EveryVariableHasItsOwnSlot) {
  for (int k = 1; k <= 10; ++k) {
    executor.ExecuteLine("var" + std::to_string(k) + " " + std::to_string(k * 100));
  }
  executor.ExecuteLine("inc var10 1");
  executor.ExecuteLine("var11 5");
  for (int k = 1; k <= 9; ++k) EXPECT_EQ(variables.Get(k), k * 100);
  EXPECT_EQ(variables.Get(10), 1001);
  const std::pair<std::string, std::int32_t> names[] = {
      {"var1", 100}, {"var10", 1001}, {"VAR1", 0}, {"var11", 0}, {"var0", 0},
      {"var", 0},    {"", 0},         {"var1 ", 0}, {" var1", 0}, {"var01", 0},
  };
  for (const auto& [name, value] : names) EXPECT_EQ(variables.VariableValue(name), value) << name;
}

struct ErrorCase {
  std::int32_t var1, var2;
  std::string line;
  std::string_view message;
  std::string trace;
};

TEST_F(ExecutorTest, ArithmeticErrorsLeaveTheVariable) {
  const ErrorCase cases[] = {
      {10, 10, "div var1 0", kDivisionByZero, "0::"},
      {10, 10, "div var1 0.0e5", kDivisionByZero, "0::"},
      {10, 10, "div var1 VAR2", kDivisionByZero, "0::"},
      {10, 0, "div var1 var2", kDivisionByZero, "0::"},
      {0, 10, "div var1 0", kInvalidOperation, "0::"},
      {10, 10, "div var1 1e-300", kInvalidOperation, "1E-300::"},
      {10, 10, "mlt var1 1e300", kInvalidOperation, ""},
      {kMin, 10, "mlt var1 -4294967296", kInvalidOperation, ""},  // 2^63
  };
  for (const ErrorCase& c : cases) {
    variables.SetVariable(1, c.var1);
    variables.SetVariable(2, c.var2);
    trace.clear();
    try {
      executor.ExecuteLine(c.line);
      ADD_FAILURE() << "no error for '" << c.line << "'";
    } catch (const KurovelError& error) {
      EXPECT_EQ(error.what(), c.message) << "'" << c.line << "'";
    }
    EXPECT_EQ(variables.Get(1), c.var1) << "'" << c.line << "'";
    EXPECT_EQ(trace, c.trace.empty() ? TraceList{} : TraceList{c.trace}) << "'" << c.line << "'";
  }
}

TEST_F(ExecutorTest, EventsRunBeforeTheCommandReadsItsValue) {
  on_events = [this] { variables.SetVariable(1, 50); };
  executor.ExecuteLine("fd var1");
  EXPECT_EQ(turtle.State().Y, 173);
}

TEST_F(ExecutorTest, ReentrantLineRunsBetweenTwoCommands) {
  bool nested = false;
  on_events = [&] {
    if (nested) return;
    nested = true;
    executor.ExecuteLine("rt 90");
  };
  executor.ExecuteLine("fd 10");
  // The nested line turned the turtle before the interrupted "fd" ran.
  EXPECT_EQ(turtle.State().X, 190);
  EXPECT_EQ(turtle.State().Y, 223);
  EXPECT_EQ(events, 2);
}

TEST_F(ExecutorTest, LineSurvivesItsTextChangingDuringEvents) {
  std::string program = "fd 10 rt 90 fd 10 rt 90 fd 10";
  on_events = [&] { program.assign(4096, 'x'); };
  executor.ExecuteLine(program);
  EXPECT_EQ(turtle.State().X, 190);
  EXPECT_EQ(turtle.State().Y, 223);
  EXPECT_EQ(turtle.State().Heading, 180);
}

}  // namespace
}  // namespace kurovel
