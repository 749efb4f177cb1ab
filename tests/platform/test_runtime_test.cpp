#include "platform/test/test_runtime.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/timer.h"
#include "platform/waiting.h"

namespace quarlyn {
namespace {

TEST(TestRuntime, TimersFireOnlyInsideYieldsAtTheirInterval) {
  TestRuntime rt;
  Timer timer(rt);
  std::vector<int32_t> fired;
  timer.on_timer = [&] { fired.push_back(rt.time_get_time()); };
  timer.set_interval(2000);
  timer.set_enabled(true);
  rt.yield_until(10000);
  EXPECT_EQ(fired, std::vector<int32_t>({2000}));
  while (rt.time_get_time() < 10000) rt.yield_until(10000);
  EXPECT_EQ(fired, std::vector<int32_t>({2000, 4000, 6000, 8000, 10000}));

  timer.set_enabled(false);
  rt.yield_until(20000);
  EXPECT_EQ(fired.size(), 5u);
}

TEST(TestRuntime, ATimerThatFellBehindFiresOnceAndKeepsItsCadenceFromThen) {
  TestRuntime rt;
  Timer timer(rt);
  int fired = 0;
  timer.on_timer = [&] { ++fired; };
  timer.set_interval(100);
  timer.set_enabled(true);
  rt.yield_cost_ms = 350;
  rt.yield();
  EXPECT_EQ(fired, 1);
  rt.yield_cost_ms = 0;
  rt.yield_until(449);
  EXPECT_EQ(fired, 1);
  rt.yield_until(450);
  EXPECT_EQ(fired, 2);
}

TEST(TestRuntime, AHandlerMayStopOrDestroyItsTimer) {
  TestRuntime rt;
  auto timer = std::make_unique<Timer>(rt);
  timer->set_interval(10);
  timer->on_timer = [&] { timer.reset(); };
  timer->set_enabled(true);
  rt.yield_until(100);
  EXPECT_EQ(timer, nullptr);
  rt.yield_until(200);
}

TEST(TestRuntime, ScheduledActionsRunInTimeOrderAcrossTheClockWrap) {
  TestRuntime rt;
  rt.set_clock(std::numeric_limits<int32_t>::max() - 5);
  std::vector<int> order;
  rt.after(10, [&] { order.push_back(2); });
  rt.after(3, [&] { order.push_back(1); });
  rt.after(10, [&] { order.push_back(3); });
  yield_while(rt, [&] { return order.size() < 3; });
  EXPECT_EQ(order, std::vector<int>({1, 2, 3}));
  EXPECT_EQ(rt.time_get_time(), std::numeric_limits<int32_t>::min() + 4);
}

TEST(TestRuntime, AWaitThatNeverEndsFailsInsteadOfHanging) {
  TestRuntime rt;
  rt.max_yields = 1000;
  EXPECT_THROW(yield_while(rt, [] { return true; }), std::runtime_error);
}

}  // namespace
}  // namespace quarlyn
