#include "controllers/event_budget.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

namespace kurovel {
namespace {

// A clock that moves only when the test moves it.
struct TestClock {
  using duration = std::chrono::microseconds;
  using rep = duration::rep;
  using period = duration::period;
  using time_point = std::chrono::time_point<TestClock>;
  static constexpr bool is_steady = true;
  static inline time_point current{};
  static time_point now() { return current; }
};

using Budget = BasicEventBudget<TestClock>;
constexpr TestClock::duration kInterval{8000};  // readings aimed at every 1000 us

// Makes calls that each take call_time until Due() says yes (or `limit` calls);
// how many calls that took.
std::uint32_t CallsUntilDue(Budget& budget, TestClock::duration call_time, std::uint32_t limit = 1'000'000) {
  for (std::uint32_t calls = 1; calls <= limit; ++calls) {
    TestClock::current += call_time;
    if (budget.Due()) return calls;
  }
  return limit + 1;
}

TEST(EventBudget, QuickCallsReadTheClockRarelyAndStillDeliverOnTime) {
  Budget budget(kInterval);
  budget.Delivered();
  const std::uint32_t calls = CallsUntilDue(budget, TestClock::duration{1});  // 8000 calls make the interval
  EXPECT_EQ(budget.CallsPerReading(), 512u);
  EXPECT_GE(calls, 8000u);
  EXPECT_LE(calls, 8000u + 512u) << "late by no more than one reading";
}

TEST(EventBudget, SlowCallsAfterQuickOnesAreCountedAtOnce) {
  struct Case {
    TestClock::duration slow_call;
    std::uint32_t calls_per_reading_after;
  };
  const Case cases[] = {
      {TestClock::duration{100}, 10},   // one reading of 512 slow calls: the aim of 1000 us is 10 of them
      {TestClock::duration{2000}, 1},   // slower than a reading's aim: every call
  };
  for (const Case& c : cases) {
    Budget budget(kInterval);
    budget.Delivered();
    CallsUntilDue(budget, TestClock::duration{1});
    budget.Delivered();
    ASSERT_EQ(budget.CallsPerReading(), 512u);
    const std::uint32_t calls = CallsUntilDue(budget, c.slow_call);
    EXPECT_EQ(calls, 512u) << "the first reading comes after the calls counted before";
    EXPECT_EQ(budget.CallsPerReading(), c.calls_per_reading_after) << c.slow_call.count();
    budget.Delivered();
    const std::uint32_t next = CallsUntilDue(budget, c.slow_call);
    EXPECT_LE(next * c.slow_call, kInterval + c.calls_per_reading_after * 2 * c.slow_call)
        << "the next turn is on time, give or take a reading";
  }
}

TEST(EventBudget, DeliverAtNextCallIsDueAtOnce) {
  Budget budget(kInterval);
  budget.Delivered();
  budget.DeliverAtNextCall();
  EXPECT_TRUE(budget.Due());
  EXPECT_FALSE(budget.Due());
}

}  // namespace
}  // namespace kurovel
