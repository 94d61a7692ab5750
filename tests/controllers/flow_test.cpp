#include "controllers/flow.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "language/errors.h"

namespace kurovel {
namespace {

// A flow that ends at once with its argument.
Flow<int> Immediate(int value) { co_return value; }

// A flow that asks once and gives the answer's text.
Flow<std::string> Asking(std::string question) {
  const Reply reply = co_await WithText(RequestKind::kShowCaption, std::move(question));
  co_return reply.text;
}

Flow<int> Failing() {
  throw KurovelError("失敗");
  co_return 0;
}

TEST(FlowTest, FlowsAwaitFlowsThatEndAtOnceWithoutGrowingTheStack) {
  // Each inner flow ends without a request; the runner's loop, not a call per
  // flow, goes back to the outer one, so a long loop of them needs no more stack.
  int sum = 0;
  auto outer = [&]() -> Flow<> {
    for (int i = 0; i < 1'000'000; ++i) sum += co_await Immediate(1);
  };
  FlowRunner runner;
  EXPECT_FALSE(runner.Start(outer()));
  EXPECT_EQ(sum, 1'000'000);
  EXPECT_FALSE(runner.Busy());
}

TEST(FlowTest, RequestsOfNestedFlowsReachTheFrontEndInOrder) {
  std::string heard;
  auto outer = [&]() -> Flow<> {
    heard += co_await Asking("a");
    heard += std::to_string(co_await Immediate(2));
    heard += co_await Asking("b");
  };
  FlowRunner runner;
  Request request = runner.Start(outer());
  std::string asked;
  while (request) {
    asked += request.text;
    Reply reply;
    reply.text = "<" + request.text + ">";
    request = runner.Answer(reply);
  }
  EXPECT_EQ(asked, "ab");
  EXPECT_EQ(heard, "<a>2<b>");
}

TEST(FlowTest, AnErrorInAnInnerFlowReachesTheOuterOneOrEndsTheFlowWithTheErrorBox) {
  bool caught = false;
  auto catching = [&]() -> Flow<> {
    try {
      co_await Failing();
    } catch (const KurovelError&) {
      caught = true;
    }
  };
  FlowRunner runner;
  EXPECT_FALSE(runner.Start(catching()));
  EXPECT_TRUE(caught);

  auto passing = []() -> Flow<> { co_await Failing(); };
  const Request box = runner.Start(passing());
  EXPECT_EQ(box.kind, RequestKind::kShowMessage);
  EXPECT_EQ(box.text, "失敗.");
  EXPECT_FALSE(runner.Busy());
}

}  // namespace
}  // namespace kurovel
