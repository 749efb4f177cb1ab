#include "saver/game_flow.h"

#include <gtest/gtest.h>

#include "platform/picture_files.h"

#include "saver/piece_supply.h"
#include "saver/play_screen.h"
#include "saver/playfield.h"
#include "saver/saver_test_support.h"

namespace quarlyn {
namespace {

class GameFlowTest : public ::testing::Test {
 protected:
  Game& game() { return h.saver.game; }

  // A clearing of `rows` full bottom rows, at its last flashing frame.
  void clear_rows_now(int rows) {
    for (int row = 24 - rows; row < 24; ++row)
      for (int c = kWellLeftColumn; c <= kWellRightColumn; ++c) game().field_cells[row * 32 + c] = 1;
    game().full_row_count = static_cast<int16_t>(rows);
    game().game_state = kRowsFlashing;
    game().flash_frames = 1;
    move_sprites(h.saver);
  }
  int obstacle_count() {
    int count = 0;
    for (int16_t cell : game().field_cells) count += cell > 100;
    return count;
  }

  testing::SaverHarness h;
};

TEST_F(GameFlowTest, ARobotGameStartsAtARandomLevelAndAPersonsAtTheConfiguredOne) {
  h.settings.game_starting_level = 7;
  h.flags.robot_playing = 1;
  h.runtime.scripted_draws = {0.35};
  init_the_game(h.saver);
  EXPECT_EQ(game().game_level, 4);
  EXPECT_EQ(game().game_state, kPieceFalling);
  EXPECT_EQ(game().picture_index, 4);

  stakko_newgame(h.saver);
  EXPECT_EQ(h.flags.robot_playing, 0);
  EXPECT_EQ(game().game_level, 7);
  EXPECT_EQ(game().drop_delay, 9);
  EXPECT_EQ(game().game_score, 0);

  h.settings.game_starting_level = 11;
  stakko_newgame(h.saver);
  EXPECT_EQ(game().game_level, 1);
}

// Backgrounds are decoded ahead; whatever was decoded, each change shows its entry as the list
// and the file are at that moment.
TEST_F(GameFlowTest, EachBackgroundChangeShowsItsEntryAsTheListAndTheFileAreThen) {
  const auto background_file = [&](const std::string& name, int side, Pixel colour) {
    const std::string path = (h.runtime.folder() / name).string();
    save_picture(Surface(side, side, colour), path);
    return path;
  };
  const auto shown = [&] { return h.saver.screen.picture_background.pixel(320, 240); };
  for (int entry = 1; entry <= 10; ++entry)
    h.settings.graphics_files[entry] = background_file("back" + std::to_string(entry) + ".bmp", 2, rgb(0, 0, entry));
  h.flags.robot_playing = 1;
  h.runtime.scripted_draws = {0.35};
  choose_robot_starting_level(h.saver);
  prefetch_next_game_backgrounds(h.saver);
  init_the_game(h.saver);
  EXPECT_EQ(shown(), rgb(0, 0, 4));
  stakko_newbackground(h.saver);
  EXPECT_EQ(shown(), rgb(0, 0, 5));

  h.runtime.scripted_draws = {0.55};
  stakko_dogameover(h.saver);
  h.settings.graphics_files[6] = background_file("other.bmp", 2, rgb(6, 0, 0));
  background_file("back7.bmp", 3, rgb(7, 0, 0));
  init_the_game(h.saver);
  EXPECT_EQ(shown(), rgb(6, 0, 0)) << "an entry changed between games";
  stakko_newbackground(h.saver);
  EXPECT_EQ(shown(), rgb(7, 0, 0)) << "a file replaced after it was decoded ahead";
}

TEST_F(GameFlowTest, TheLevelRisesWhenTheLinesExceedEachTen) {
  stakko_newgame(h.saver);
  game().game_lines = 9;
  clear_rows_now(1);
  EXPECT_EQ(game().game_lines, 10);
  EXPECT_EQ(game().game_level, 1) << "exactly 10 lines is no level-up";
  EXPECT_EQ(game().game_score, 50);
  EXPECT_EQ(game().game_state, kPauseBeforePiece);
  EXPECT_EQ(game().state_countdown, 20);

  clear_rows_now(1);
  EXPECT_EQ(game().game_level, 2);
  EXPECT_EQ(game().drop_delay, 27);
  EXPECT_EQ(game().game_score, 100) << "points use the level before the level-up";

  game().game_lines = 20;
  clear_rows_now(4);
  EXPECT_EQ(game().game_level, 3);
  EXPECT_EQ(game().game_score, 100 + 2 * 1200);
  EXPECT_EQ(game().sound_hold, 60);
}

TEST_F(GameFlowTest, FromLevelTwentyTheSpeedStaysAtItsLastEntryAndBlitzUsesEntryNineteen) {
  stakko_newgame(h.saver);
  game().game_level = 20;
  game().level_steps = 20;
  game().game_lines = 200;
  clear_rows_now(1);
  EXPECT_EQ(game().game_level, 21);
  EXPECT_EQ(game().drop_delay, 1);

  h.settings.game_difficulty = 5;
  stakko_newgame(h.saver);
  EXPECT_EQ(game().drop_delay, 2);
  game().game_lines = 10;
  clear_rows_now(1);
  EXPECT_EQ(game().game_level, 2);
  EXPECT_EQ(game().drop_delay, 2);
}

TEST_F(GameFlowTest, AFortyLineGameEndsOnTheClearThatReachesFortyWithoutALevelUp) {
  h.settings.game_difficulty = 6;
  stakko_newgame(h.saver);
  EXPECT_EQ(game().timed_mode, 1);
  game().game_lines = 38;
  game().level_steps = 1;
  clear_rows_now(3);
  EXPECT_EQ(game().game_lines, 41);
  EXPECT_EQ(game().game_level, 1);
  EXPECT_EQ(game().game_state, kGameOverFill);
  EXPECT_EQ(game().game_score, 300);
}

TEST_F(GameFlowTest, ObstaclesComeOnlyInAPersonsGameOfTypesThreeAndFour) {
  h.settings.game_difficulty = 4;
  h.flags.robot_playing = 1;
  init_the_game(h.saver);
  EXPECT_EQ(obstacle_count(), 0);

  stakko_newgame(h.saver);
  EXPECT_GT(obstacle_count(), 50);
  for (int cell = 0; cell < 8 * 32; ++cell) EXPECT_EQ(game().field_cells[cell], 0) << "rows 8 to 23 only";

  h.settings.game_difficulty = 3;
  stakko_newgame(h.saver);
  EXPECT_GT(obstacle_count(), 10);
  EXPECT_LE(obstacle_count(), 30);
  for (int cell = 0; cell < 17 * 32; ++cell) EXPECT_EQ(game().field_cells[cell], 0) << "rows 17 to 23 only";
}

TEST_F(GameFlowTest, TheGameOverRunsTheFillThePictureAndThePause) {
  h.flags.robot_playing = 1;
  init_the_game(h.saver);
  stakko_dogameover(h.saver);
  int frames = 0;
  while (game().game_state == kGameOverFill && frames < 100) {
    move_sprites(h.saver);
    ++frames;
  }
  EXPECT_EQ(frames, 24);
  EXPECT_EQ(game().game_state, kPauseAfterGame);
  EXPECT_EQ(h.saver.screen.ascreen.pixel(300, 100), testing::kGameOverColour);
  EXPECT_EQ(h.saver.screen.background_main.pixel(300, 100), testing::kGameOverColour);
  for (int frame = 0; frame < 100; ++frame) move_sprites(h.saver);
  EXPECT_EQ(game().game_state, kPieceFalling) << "the robot's next game";
  EXPECT_EQ(h.flags.quit_requested, 0);
}

TEST_F(GameFlowTest, AGameStartedFromTheConfigurationWindowEndsTheSaverAfterItsPause) {
  h.flags.started_from_config = 1;
  stakko_newgame(h.saver);
  stakko_dogameover(h.saver);
  for (int frame = 0; frame < 124; ++frame) move_sprites(h.saver);
  EXPECT_EQ(h.flags.robot_playing, 1);
  EXPECT_EQ(h.flags.quit_requested, 1);
}

TEST_F(GameFlowTest, CountersAreCentredInTheirFields) {
  PlayScreen& screen = h.saver.screen;
  auto digit_at = [&](int x, int y) { return screen.ascreen.pixel(x, y) & 0xFF00; };
  game().game_score = 0;
  stakko_showscore(h.saver, 7);
  EXPECT_EQ(digit_at(100 + 10, 110), 7u << 8) << "one digit starts at X + 50";
  EXPECT_EQ(screen.ascreen.pixel(99, 110), rgb(30, 30, 30));

  stakko_showscore(h.saver, 123456 - 7);
  EXPECT_EQ(digit_at(50, 110), 1u << 8) << "six digits fill the field";
  EXPECT_EQ(digit_at(169, 110), 6u << 8);

  stakko_showscore(h.saver, 1000000 - 123456);
  EXPECT_EQ(digit_at(50, 110), 1u << 8) << "the first of seven digits starts left of the field";
  EXPECT_NE(screen.ascreen.pixel(45, 110), screen.background_main.pixel(45, 110)) << "and only the field is copied";
}

// A counter redraws only its changed digits while nothing else touched the panel; either way each
// of the four surfaces ends with the panel that first drawings of the numbers give, also when
// the panel was blanked under two counters and the other one is drawn first.
TEST_F(GameFlowTest, ACounterShowsJustTheNumberAlsoAfterSomethingElseDrewOverItsField) {
  const auto panels_match = [](const PlayScreen& a, const PlayScreen& b) {
    for (auto surface : {&PlayScreen::background_main, &PlayScreen::background_copy, &PlayScreen::background_work,
                         &PlayScreen::ascreen}) {
      for (int y = 60; y < 260; ++y) {
        for (int x = 40; x < 180; ++x) {
          if ((a.*surface).pixel(x, y) != (b.*surface).pixel(x, y)) return false;
        }
      }
    }
    return true;
  };
  testing::SaverHarness fresh;
  fresh.saver.game.game_score = 0;
  fresh.saver.game.game_level = 5;
  stakko_showscore(fresh.saver, 1240);
  stakko_showlevel(fresh.saver);

  game().game_score = 0;
  game().game_level = 5;
  stakko_showscore(h.saver, 1234);
  stakko_showlevel(h.saver);
  stakko_showscore(h.saver, 1);
  PlayScreen& screen = h.saver.screen;
  for (Surface* surface : {&screen.background_main, &screen.background_copy, &screen.background_work, &screen.ascreen}) {
    surface->fill({60, 105, 90, 10}, rgb(200, 0, 0));
    surface->fill({60, 167, 90, 10}, rgb(200, 0, 0));
  }
  stakko_showscore(h.saver, 5);
  stakko_showlevel(h.saver);
  EXPECT_TRUE(panels_match(screen, fresh.saver.screen));
}

TEST_F(GameFlowTest, TheLinesCounterOfAFortyLineGameCountsDownToZero) {
  h.settings.game_difficulty = 6;
  auto shown_digit = [&] { return (h.saver.screen.ascreen.pixel(110, 235) >> 8) & 0xFF; };
  game().game_lines = 0;
  stakko_showlines(h.saver);
  EXPECT_EQ(h.saver.screen.ascreen.pixel(100, 235) >> 8 & 0xFF, 4u);
  game().game_lines = 45;
  stakko_showlines(h.saver);
  EXPECT_EQ(shown_digit(), 0u);
}

TEST_F(GameFlowTest, TwoGamesSteppedSideBySideDoNotDisturbEachOther) {
  testing::SaverHarness other;
  testing::SaverHarness alone;
  for (auto* harness : {&h, &other, &alone}) {
    harness->flags.robot_playing = 1;
    harness->runtime.scripted_draws = {0.5};
    init_the_game(harness->saver);
  }
  for (int frame = 0; frame < 3000; ++frame) {
    move_sprites(h.saver);
    move_sprites(other.saver);
  }
  for (int frame = 0; frame < 3000; ++frame) move_sprites(alone.saver);
  EXPECT_EQ(h.saver.game.field_cells, alone.saver.game.field_cells);
  EXPECT_EQ(h.saver.game.game_score, alone.saver.game.game_score);
  EXPECT_EQ(other.saver.game.field_cells, alone.saver.game.field_cells);
}

}  // namespace
}  // namespace quarlyn
