#include "saver/saver_window.h"

#include <gtest/gtest.h>

#include "platform/test/test_screen_window.h"
#include "saver/game_flow.h"
#include "saver/saver_test_support.h"

namespace quarlyn {
namespace {

constexpr int kFrameMs = 20;

class SaverWindowTest : public ::testing::Test {
 protected:
  SaverWindowTest() { testing::store_keys(rt.settings_store(), {{"install_path", QUARLYN_BUILD_DATA_DIR}}); }

  // Shows the saver as "/S" does and runs it until it ends; `script` schedules what happens.
  void run_saver() {
    window = std::make_unique<frm_screensaver>(rt, settings, flags);
    window->Show();
    while (flags.saver_running) rt.yield_until(rt.time_get_time() + 1000);
  }
  Game& game() { return window->saver().game; }
  // Runs `action` at the start of the frame loop's yield `frames` frames after the first one.
  void at_frame(int frames, std::function<void()> action) { rt.at(frames * kFrameMs + 10, std::move(action)); }

  TestRuntime rt;
  Settings settings;
  RunFlags flags;
  std::unique_ptr<frm_screensaver> window;
};

TEST_F(SaverWindowTest, EscEndsTheSaverAndRestoresTheHost) {
  at_frame(50, [&] { window->Form_KeyDown(kKeyEsc, 0); });
  run_saver();
  EXPECT_FALSE(flags.saver_running);
  EXPECT_FALSE(window->window().shown());
  EXPECT_EQ(rt.cursor_count, 0) << "the cursor is shown again";
  ASSERT_EQ(rt.system_calls.size(), 4u);
  EXPECT_EQ(rt.system_calls[1].action, 17u);
  EXPECT_EQ(rt.system_calls[1].value, 0) << "the host's saver was held off while running";
  EXPECT_EQ(rt.system_calls[3].value, -1);
  EXPECT_NEAR(rt.time_get_time(), 51 * kFrameMs, 3 * kFrameMs);
}

TEST_F(SaverWindowTest, AKeyHandsTheRobotsGameToAPersonWhoseGameKeysNeverEndIt) {
  testing::store_keys(rt.settings_store(), {{"game_starting_level", "3"}});
  at_frame(100, [&] {
    EXPECT_EQ(flags.robot_playing, 1);
    window->Form_KeyDown(kKeyLeft, 0);
  });
  at_frame(101, [&] {
    EXPECT_EQ(flags.robot_playing, 0);
    EXPECT_EQ(game().game_level, 3);
    EXPECT_EQ(game().game_score, 0);
    for (int key : {kKeyLeft, kKeyRight, kKeyUp, kKeyDown, kKeySpace, kKeyA, kKeyD, kKeyS, kKeyW}) {
      window->Form_KeyDown(key, 0);
      window->ascreen_KeyPress(key);
    }
  });
  at_frame(150, [&] {
    EXPECT_EQ(flags.quit_requested, 0);
    window->Form_KeyDown(kKeyEsc, 0);
  });
  run_saver();
  EXPECT_EQ(flags.robot_playing, 0) << "Esc in a person's game ends it at once, without a high-score test";
}

TEST_F(SaverWindowTest, MouseMovementEndsTheSaverOnlyPastTwentyTwoMovesInEightyFrames) {
  at_frame(10, [&] {
    for (int i = 0; i < 22; ++i) window->Form_MouseMove();
  });
  at_frame(100, [&] {
    EXPECT_EQ(flags.quit_requested, 0);
    for (int i = 0; i < 23; ++i) window->Form_MouseMove();
  });
  run_saver();
  EXPECT_NEAR(rt.time_get_time(), 101 * kFrameMs, 3 * kFrameMs);
}

TEST_F(SaverWindowTest, WithTheTriggerSwappedTheMouseHandsOverAndAKeyEnds) {
  testing::store_keys(rt.settings_store(), {{"game_trigger", "1"}});
  at_frame(10, [&] {
    for (int i = 0; i < 23; ++i) window->Form_MouseMove();
  });
  at_frame(12, [&] {
    EXPECT_EQ(flags.robot_playing, 0);
    for (int i = 0; i < 30; ++i) window->Form_MouseMove();
  });
  at_frame(100, [&] {
    EXPECT_EQ(flags.quit_requested, 0) << "mouse movement never ends a person's game";
    window->Form_KeyDown(kKeyEsc, 0);
  });
  run_saver();
}

TEST_F(SaverWindowTest, PaintRequestsRebuildTheScreenOnceAtTheEndOfTheFrame) {
  at_frame(30, [&] {
    window->Form_Paint();
    window->Form_Resize();
    window->Form_Paint();
    EXPECT_EQ(window->saver().window.full_redraw_pending, 1);
  });
  at_frame(31, [&] {
    EXPECT_EQ(window->saver().window.full_redraw_pending, 0);
    window->Form_KeyDown(kKeyEsc, 0);
  });
  run_saver();
}

TEST_F(SaverWindowTest, ALaterActivationSetsUpNoNewGame) {
  at_frame(40, [&] {
    const int32_t level = game().game_level;
    game().game_score = 4321;
    window->Form_Activate();
    EXPECT_EQ(game().game_score, 4321);
    EXPECT_EQ(game().game_level, level);
    window->Form_KeyDown(kKeyEsc, 0);
  });
  run_saver();
}

TEST_F(SaverWindowTest, FramesFollowTheFrameRateAndTheRobotPlaysOn) {
  testing::store_keys(rt.settings_store(), {{"frame_rate", "40"}});
  int32_t pieces_seen = 0;
  int16_t last_y = 0;
  for (int frame = 1; frame < 3000; ++frame) {
    rt.at(frame * 40 + 5, [&] {
      if (game().piece_y < last_y) ++pieces_seen;
      last_y = game().piece_y;
    });
  }
  rt.at(3000 * 40 + 5, [&] { window->Form_KeyDown(kKeyEsc, 0); });
  run_saver();
  EXPECT_GT(pieces_seen, 20);
  EXPECT_LT(rt.yields(), 3000 * 4) << "one frame takes a handful of yields, not a busy loop";
  EXPECT_NEAR(rt.key_polls_done, 3000, 2) << "each frame ends its key poll once";
}

}  // namespace
}  // namespace quarlyn
