#include "saver/saver_window.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/picture_files.h"
#include "platform/test/test_mm_control.h"
#include "platform/test/test_screen_window.h"
#include "saver/game_flow.h"
#include "saver/rule_core_fixture.h"
#include "saver/saver_test_support.h"
#include "support/temp_folder.h"

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
  // Presses a key in the first yield in which `moment` holds, runs `check` ten frames later and
  // ends the saver.
  void press_a_key_when(std::function<bool()> moment, std::function<void()> check) {
    rt.after(1, [=, this] {
      if (!moment()) return press_a_key_when(moment, check);
      window->Form_KeyDown(kKeyA, 0);
      rt.after(10 * kFrameMs, [=, this] {
        check();
        window->Form_KeyDown(kKeyEsc, 0);
      });
    });
  }
  // Does every well cell of `screen` show what the field holds: its block, or the empty well?
  bool field_is_drawn(const Surface& screen, int first_row) {
    const PlayScreen& pictures = window->saver().screen;
    for (int row = first_row; row < kFieldRows; ++row) {
      for (int column = kWellLeftColumn; column <= kWellRightColumn; ++column) {
        const int16_t cell = game().field_cells[row * kFieldColumns + column];
        const Surface& source = cell > 0 ? pictures.sprite : pictures.stakko_grid;
        const int x = cell > 0 ? game().sprite_table[cell][1] : kCell * column - 215;
        const int y = cell > 0 ? game().sprite_table[cell][2] : kCell * row;
        for (int i = 0; i < kCell * kCell; ++i)
          if (screen.pixel(kCell * column + i % kCell, kCell * row + i / kCell) != source.pixel(x + i % kCell, y + i / kCell))
            return false;
      }
    }
    return true;
  }

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

// A key that takes the robot's game over inside one of its step's yields starts the person's
// game only when that step is done, so nothing of the step reaches the new game.
TEST_F(SaverWindowTest, AKeyInTheClearSoundStartsAFreshGame) {
  at_frame(30, [&] {
    for (int row : {22, 23}) testing::rules::fill_row(game(), row, 1);
    game().full_row_count = 2;
    game().game_state = kRowsFlashing;
    game().flash_frames = 1;
  });
  press_a_key_when([&] { return game().game_state == kRowsFlashing && game().flash_frames == 0; },
                   [&] {
                     EXPECT_EQ(flags.robot_playing, 0);
                     EXPECT_EQ(game().game_score, 0);
                     EXPECT_EQ(game().game_lines, 0);
                     EXPECT_EQ(game().game_state, kPieceFalling);
                   });
  run_saver();
}

TEST_F(SaverWindowTest, AKeyInTheGameOverFillStartsAGameThatIsNotOver) {
  at_frame(30, [&] { stakko_dogameover(window->saver()); });
  size_t commands_seen = 0;
  press_a_key_when(
      [&] {
        const bool sound_started = rt.mm_commands.size() > commands_seen && rt.mm_commands.back().command == "Stop";
        commands_seen = rt.mm_commands.size();
        return game().game_state == kGameOverFill && sound_started;
      },
      [&] {
        EXPECT_EQ(flags.robot_playing, 0);
        EXPECT_EQ(game().game_state, kPieceFalling);
      });
  run_saver();
}

TEST_F(SaverWindowTest, AKeyInTheRobotsNextGameSetUpLeavesNoUndrawnObstacles) {
  testing::store_keys(rt.settings_store(), {{"game_difficulty", "4"}});
  at_frame(30, [&] { stakko_dogameover(window->saver()); });
  press_a_key_when(
      [&] { return flags.robot_playing == 1 && game().game_state == kPauseAfterGame && game().state_countdown == 0; },
      [&] {
        ASSERT_EQ(flags.robot_playing, 0);
        int obstacles = 0;
        for (int16_t cell : game().field_cells) obstacles += cell > 100;
        EXPECT_GT(obstacles, 50);
        EXPECT_TRUE(field_is_drawn(window->saver().screen.background_copy, 0));
        EXPECT_TRUE(field_is_drawn(window->saver().screen.ascreen, 4)) << "below the falling piece";
      });
  run_saver();
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

TEST_F(SaverWindowTest, AKeyAndTheMouseInOneFrameHandTheGameOverWithoutEndingTheSaver) {
  at_frame(30, [&] {
    window->Form_KeyDown(kKeyLeft, 0);
    for (int i = 0; i < 23; ++i) window->Form_MouseMove();
  });
  at_frame(40, [&] { window->Form_KeyDown(kKeyEsc, 0); });
  run_saver();
  EXPECT_EQ(flags.robot_playing, 0) << "no person's game";
  EXPECT_NEAR(rt.time_get_time(), 41 * kFrameMs, 3 * kFrameMs) << "ended before the Esc";
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

TEST_F(SaverWindowTest, AFrameRateBelowOneCountsAsOneMillisecond) {
  rt.yield_cost_ms = 0;  // a yield takes no time: only the frame wait moves the clock
  rt.max_yields = 200'000;
  for (const char* rate : {"0", "-20"}) {
    testing::store_keys(rt.settings_store(), {{"frame_rate", rate}});
    rt.after(2000, [&] { window->Form_KeyDown(kKeyEsc, 0); });
    ASSERT_NO_THROW(run_saver()) << rate << ": the frame loop spun without letting the clock move";
  }
}

TEST_F(SaverWindowTest, AProgramFolderWithoutPieceShapesEndsTheSaverWithAMessage) {
  const testing::TempFolder folder;
  std::ofstream blank(folder.path() / "objects.txt");
  blank << "\"blank\"\n1\n";
  for (int rotation = 0; rotation < 4; ++rotation) blank << "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,\"-\"\n";
  blank.close();
  testing::store_keys(rt.settings_store(), {{"install_path", folder.path().string()}});
  rt.max_yields = 100'000;  // an endless game fails the test instead of running on
  for (const char* damage : {"shapes without cells", "no objects.txt"}) {
    const int32_t start = rt.time_get_time();
    run_saver();
    ASSERT_EQ(rt.message_boxes.size(), 1u) << damage;
    EXPECT_EQ(rt.message_boxes[0].title, "Error!");
    EXPECT_EQ(rt.message_boxes[0].prompt,
              "Error initializing game pieces! Please remove this program and then install it again.");
    EXPECT_LT(rt.time_get_time() - start, 1000) << damage << ": the saver ends at once";
    for (const RecordedCommand& command : rt.mm_commands) EXPECT_NE(command.command, "Play") << damage;
    EXPECT_EQ(rt.cursor_count, 0);
    rt.message_boxes.clear();
    std::filesystem::remove(folder.path() / "objects.txt");
  }
}

// People may pick game pictures of any size: the saver then clips, whatever it reads or draws.
TEST_F(SaverWindowTest, GamePicturesOfOtherSizesNeitherCrashNorReadOutsideThem) {
  const testing::TempFolder folder;
  for (const auto& [name, picture] : {std::pair{"tiny.bmp", Surface(3, 2, rgb(9, 9, 9))},
                                      std::pair{"large.bmp", Surface(700, 520, rgb(9, 9, 9))}}) {
    const std::string path = (folder.path() / name).string();
    ASSERT_TRUE(save_picture(picture, path));
    std::vector<std::pair<std::string, std::string>> keys = {{"Gfiles1", QUARLYN_BUILD_DATA_DIR "back1.bmp"}};
    for (int entry = 2; entry <= 10; ++entry) keys.push_back({"Gfiles" + std::to_string(entry), path});
    for (int entry = 11; entry <= 18; ++entry) keys.push_back({"Gfiles" + std::to_string(entry), path});
    testing::store_keys(rt.settings_store(), keys);
    rt.after(60'000, [&] { window->Form_KeyDown(kKeyEsc, 0); });
    run_saver();
    EXPECT_GT(game().game_lines + game().game_score, 0) << name << ": the robot played";
  }
}

}  // namespace
}  // namespace quarlyn
