#include "saver/high_scores.h"

#include <gtest/gtest.h>

#include "platform/test/test_mm_control.h"
#include "saver/game_flow.h"
#include "saver/hiscore_dialog.h"
#include "saver/rule_core_fixture.h"
#include "saver/saver_test_support.h"

namespace quarlyn {
namespace {

using testing::stored_text;

class HighScoreTest : public ::testing::Test {
 protected:
  HighScoreTest() {
    h.runtime.on_modal = [this](ModalForm& form) {
      auto& dialog = dynamic_cast<frm_hiscore&>(form);
      EXPECT_EQ(form.focus, &dialog.Text1);
      EXPECT_GE(h.runtime.cursor_count, 0) << "the cursor shows for the dialog";
      dialog.Text1.type_text(typed_name);
      if (press_ok)
        dialog.Command1.Click();
      else
        dialog.Text1.type(13);
    };
  }
  Settings& settings() { return h.settings; }
  // A person's finished game of type `g` with this score.
  void finish_game(int g, int32_t score, int32_t lines = 12) {
    settings().game_difficulty = static_cast<int16_t>(g);
    h.flags.robot_playing = 0;
    h.saver.game.game_score = score;
    h.saver.game.game_lines = lines;
    stakko_checkhighscore(h.saver);
  }
  // The table's scores as the store holds them.
  void fill_scores(int g, std::vector<std::string> scores) {
    SettingsStore::Entries entries;
    for (size_t i = 0; i < scores.size(); ++i) entries.emplace_back(hiscore_key(g, "Score", i + 1), scores[i]);
    testing::store_keys(h.runtime.settings_store(), entries);
  }

  testing::SaverHarness h;
  std::string typed_name = "Ann";
  bool press_ok = false;
};

TEST(TimeText, MinutesAndSeconds) {
  const std::vector<std::pair<int, std::string>> cases = {{0, "0:00"},  {9, "0:09"},  {10, "0:10"},   {59, "0:59"},
                                                          {60, "1:00"}, {61, "1:01"}, {119, "1:59"}, {3725, "62:05"}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(time_text(seconds), text);
}

TEST(StoredNumber, TheDecimalNumberAtTheStart) {
  EXPECT_EQ(stored_number("1234"), 1234);
  EXPECT_EQ(stored_number("  56abc"), 56);
  EXPECT_EQ(stored_number("abc"), 0);
  EXPECT_EQ(stored_number(""), 0);
  EXPECT_EQ(stored_number("0x1F"), 0);
  EXPECT_EQ(stored_number("-7"), -7);
}

TEST_F(HighScoreTest, AnEqualScoreNeverBeatsAPlace) {
  fill_scores(1, {"500", "500", "500", "100"});
  finish_game(1, 500);
  EXPECT_EQ(settings().hiscore_name[1][4], "Ann");
  EXPECT_EQ(settings().hiscore_score[1][4], "500");
  EXPECT_EQ(settings().hiscore_score[1][5], "100") << "the places below move down";
  EXPECT_EQ(settings().hiscore_lines[1][4], "12");
  EXPECT_EQ(stored_text(h.runtime.settings_store(), "Game1Name4"), "Ann") << "saved at once";
}

TEST_F(HighScoreTest, AResultBeatingOnlyTheTenthPlaceReplacesIt) {
  fill_scores(2, {"900", "800", "700", "600", "500", "400", "300", "200", "100", "50"});
  finish_game(2, 60);
  EXPECT_EQ(settings().hiscore_score[2][9], "100");
  EXPECT_EQ(settings().hiscore_score[2][10], "60");
}

TEST_F(HighScoreTest, AZeroScoreNeverEntersAndARobotGameNeverTouchesTheTable) {
  finish_game(1, 0);
  EXPECT_EQ(settings().hiscore_name[1][1], "<empty>");
  EXPECT_TRUE(h.runtime.modal_forms.empty());
  h.flags.robot_playing = 1;
  h.saver.game.game_score = 99999;
  stakko_checkhighscore(h.saver);
  EXPECT_EQ(settings().hiscore_name[1][1], "<empty>");
  settings().game_difficulty = 6;  // a robot's 40 lines, in a time that would take place 1
  h.saver.game.game_lines = 40;
  h.saver.game.time_start = 0;
  h.saver.game.time_end = 30'000;
  stakko_checkhighscore(h.saver);
  EXPECT_EQ(settings().hiscore_score[6][1], "99999");
  EXPECT_TRUE(h.runtime.modal_forms.empty());
  EXPECT_FALSE(stored_text(h.runtime.settings_store(), "Game1Name1").has_value()) << "nothing saved";
  EXPECT_FALSE(stored_text(h.runtime.settings_store(), "Game6Name1").has_value());
}

TEST_F(HighScoreTest, StoredTextsThatAreNotNumbersCountAsZero) {
  fill_scores(3, {"lots", "12", "x"});
  finish_game(3, 5);
  EXPECT_EQ(settings().hiscore_score[3][1], "5");
  EXPECT_EQ(settings().hiscore_score[3][2], "lots");
}

TEST_F(HighScoreTest, AFortyLineTimeRanksLowerIsBetterAndStoresFortyLines) {
  h.saver.game.time_start = 100'500;
  h.saver.game.time_end = 190'900;
  fill_scores(6, {"80"});
  finish_game(6, 0, 42);
  EXPECT_EQ(settings().hiscore_score[6][2], "90");
  EXPECT_EQ(settings().hiscore_lines[6][2], "40");
  EXPECT_EQ(settings().hiscore_score[6][3], "99999");
}

TEST_F(HighScoreTest, AFortyLineGameThatToppedOutEarlyMakesNoEntry) {
  h.saver.game.time_start = 0;
  h.saver.game.time_end = 10'000;
  finish_game(6, 5000, 39);
  EXPECT_EQ(settings().hiscore_score[6][1], "99999");
  EXPECT_TRUE(h.runtime.modal_forms.empty());
}

// The clock measures elapsed time on the millisecond clock, so midnight or a wall clock set back
// cannot change it.
TEST_F(HighScoreTest, AFortyLineTimeIsTheElapsedTimeOfTheMillisecondClock) {
  settings().game_difficulty = 6;
  h.flags.robot_playing = 0;
  init_the_game(h.saver);
  h.runtime.set_clock(h.runtime.time_get_time() + 30'000);
  handle_time(h.saver);
  EXPECT_EQ(h.saver.game.time_elapsed, 30);
  h.runtime.set_clock(h.runtime.time_get_time() + 35'000);
  h.saver.game.game_lines = 38;
  for (int row : {22, 23}) testing::rules::fill_row(h.saver.game, row, 1);
  h.saver.game.full_row_count = 2;
  h.saver.game.game_state = kRowsFlashing;
  h.saver.game.flash_frames = 1;
  move_sprites(h.saver);
  ASSERT_EQ(h.saver.game.game_state, kGameOverFill);
  EXPECT_EQ(h.saver.game.time_elapsed, 65);
  finish_game(6, 0, 40);
  EXPECT_EQ(settings().hiscore_score[6][1], "65");
}

TEST_F(HighScoreTest, AnEmptyNameBecomesGuestAndBlanksStayAsTyped) {
  typed_name = "";
  finish_game(1, 10);
  EXPECT_EQ(settings().hiscore_name[1][1], "Guest");
  typed_name = "   ";
  press_ok = true;
  finish_game(1, 20);
  EXPECT_EQ(settings().hiscore_name[1][1], "   ");
  EXPECT_EQ(settings().hiscore_name[1][2], "Guest");
}

TEST_F(HighScoreTest, TheNameBoxTakesTwentyFiveCharactersAndTheHighScoreSoundPlays) {
  typed_name = std::string(30, 'z');
  finish_game(4, 10);
  EXPECT_EQ(settings().hiscore_name[4][1], std::string(25, 'z'));
  const auto& commands = h.runtime.mm_commands;
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.back().from, 2700);
  EXPECT_LT(h.runtime.cursor_count, 0) << "the cursor is hidden again";
}

TEST_F(HighScoreTest, TheClockShowsOnlyInAFortyLineGame) {
  h.saver.game.timed_mode = 0;
  handle_time(h.saver);
  EXPECT_EQ(h.saver.game.time_elapsed, 0);
  h.saver.game.timed_mode = 1;
  h.saver.game.time_start = h.runtime.time_get_time() - 65'700;
  handle_time(h.saver);
  EXPECT_EQ(h.saver.game.time_elapsed, 65);
}

}  // namespace
}  // namespace quarlyn
