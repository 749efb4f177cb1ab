#include "saver/message_line.h"

#include <gtest/gtest.h>

#include <memory>

#include "saver/saver_test_support.h"
#include "support/idle_screen_handler.h"

namespace quarlyn {
namespace {

using testing::IdleHandler;

class MessageLineTest : public ::testing::Test {
 protected:
  MessageLineTest() {
    window->move({0, 0, 1024, 768});
    h.saver.screen_window = window.get();
    line().scroller_text[1] = "first";
    line().scroller_text[2] = "second";
  }
  MessageLine& line() { return h.saver.message_line; }
  const Rect& box() { return line().scroller.bounds; }
  void step(int calls) {
    for (int i = 0; i < calls; ++i) handle_scroller(h.saver);
  }
  void enable() {
    line().scroller_enabled = 1;
    line().scroller_count = 2;
  }

  testing::SaverHarness h;
  IdleHandler handler;
  std::unique_ptr<ScreenWindow> window = h.runtime.create_screen_window("StakkoSaver", handler);
};

TEST_F(MessageLineTest, DoesNothingWhileDisabledOrEmpty) {
  step(1);
  line().scroller_enabled = 1;
  step(1);
  EXPECT_EQ(line().scroller_state, 0);
  EXPECT_EQ(line().scroller_index, 0);
  EXPECT_TRUE(line().scroller.text.empty());
}

TEST_F(MessageLineTest, RisesIntoViewHolds300CallsSinksAndStartsTheNext) {
  enable();
  step(1);
  EXPECT_EQ(box().left, 0);
  EXPECT_EQ(box().width, 1024);
  EXPECT_EQ(box().top, 767) << "from just below the bottom edge, one pixel up";
  EXPECT_EQ(line().scroller.text, "first");
  EXPECT_TRUE(line().scroller.visible);
  EXPECT_EQ(h.saver.window.mouse_moves, 11);
  step(kScrollerHeight - 1);
  EXPECT_EQ(box().top, 768 - kScrollerHeight) << "wholly inside";
  step(1);
  EXPECT_EQ(box().top, 768 - kScrollerHeight + 1) << "one step back down in the same call";
  EXPECT_EQ(line().scroller_state, 2);
  step(299);
  EXPECT_EQ(box().top, 768 - kScrollerHeight + 1) << "holding";
  step(1);
  EXPECT_EQ(box().top, 768 - kScrollerHeight + 2);
  // 100 twips at 15 twips per pixel: the box sinks until its top is 7 pixels below the edge.
  step(768 + 7 - box().top);
  EXPECT_EQ(box().top, 775);
  EXPECT_EQ(line().scroller_state, 2);
  step(1);
  EXPECT_EQ(line().scroller_state, 0);
  EXPECT_EQ(box().top, 775);
  step(1);
  EXPECT_EQ(line().scroller.text, "second");
  EXPECT_EQ(box().top, 767);
}

TEST_F(MessageLineTest, SinkDepthFollowsTheScreenResolutionAndTheGapDelaysTheNextMessage) {
  h.runtime.twips_per_pixel = 12;  // 120 dots per inch: 100 twips are 8.3 pixels
  line().scroller_gap = 5;
  enable();
  step(kScrollerHeight + 1 + 300);
  step(768 + 9 - box().top);
  EXPECT_EQ(box().top, 777);
  step(1);
  EXPECT_EQ(line().scroller_state, 0);
  step(4);
  EXPECT_EQ(line().scroller_index, 1);
  step(1);
  EXPECT_EQ(line().scroller_index, 2);
}

}  // namespace
}  // namespace quarlyn
