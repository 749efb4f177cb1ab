#include "config/configuration_window.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "config/info_dialogs.h"
#include "config/options_dialog.h"
#include "platform/test/test_mm_control.h"
#include "platform/test/test_runtime.h"
#include "platform/test/test_screen_window.h"
#include "saver/game.h"
#include "support/store_helpers.h"

namespace quarlyn {
namespace {

using testing::stored_text;

class ConfigurationWindowTest : public ::testing::Test {
 protected:
  ConfigurationWindowTest() {
    testing::store_keys(rt.settings_store(),
                        {{"install_path", QUARLYN_BUILD_DATA_DIR}, {"show_welcome", "0"}, {"game_difficulty", "3"}});
  }

  void open() {
    window = std::make_unique<frm_configuration>(rt, settings, flags);
    rt.show_modeless(*window);
  }
  std::optional<std::string> stored(const std::string& key) { return stored_text(rt.settings_store(), key); }
  TestMMControl& tune() { return *rt.mm_controls.front(); }
  int opens_of_tune() {
    return static_cast<int>(std::count_if(rt.mm_commands.begin(), rt.mm_commands.end(), [](const RecordedCommand& c) {
      return c.control == 1 && c.command == "Open";
    }));
  }
  void run_for(int32_t ms) {
    const int32_t end = rt.time_get_time() + ms;
    while (rt.time_get_time() < end) rt.yield_until(end);
  }
  // Answers every modal form by `answer`, then unloads it.
  void answer_modals(std::function<void(ModalForm&)> answer = {}) {
    rt.on_modal = [answer](ModalForm& form) {
      if (answer) answer(form);
      form.Unload();
    };
  }

  TestRuntime rt;
  Settings settings;
  RunFlags flags;
  std::unique_ptr<frm_configuration> window;
};

TEST_F(ConfigurationWindowTest, LoadCentresLoadsTheStoreThenShowsItsGameTypeAndStartsTheTune) {
  open();
  EXPECT_EQ(window->bounds().left, (1024 - 640) / 2);
  EXPECT_EQ(window->bounds().top, (768 - 480) / 2);
  EXPECT_EQ(window->caption, "Welcome to Quarlyn!");
  EXPECT_EQ(window->search_name, "Quarlyn Configuration");
  EXPECT_EQ(settings.game_difficulty, 3) << "settings loaded before the display is updated";
  EXPECT_EQ(window->Image4.picture.pixel(100, 17), window->Image15.picture.pixel(100, 17)) << "type 3 is lit";
  EXPECT_EQ(window->Image2.picture.pixel(100, 17), window->Image10.picture.pixel(100, 17));
  EXPECT_NE(window->Image10.picture.pixel(100, 17), window->Image11.picture.pixel(100, 17));
  EXPECT_EQ(window->scores.Label1[0].Caption, "<empty>");
  EXPECT_TRUE(window->Timer1.enabled());
  EXPECT_EQ(window->Timer1.interval(), 250);
  EXPECT_EQ(window->tips[10], " Clearing 2-4 lines at a time greatly increases your score! ");
  EXPECT_TRUE(rt.modal_forms.empty()) << "no welcome with show_welcome 0";
}

TEST_F(ConfigurationWindowTest, GameTypeSevenPlaysTheLargerPieceSetAndNothingIsSavedOnAChoice) {
  open();
  window->Image8.Click();
  EXPECT_EQ(settings.game_difficulty, 7);
  EXPECT_EQ(settings.piece_type, 2);
  window->Image3.Click();
  EXPECT_EQ(settings.piece_type, 1);
  EXPECT_EQ(stored("game_difficulty"), "3");
}

TEST_F(ConfigurationWindowTest, TheWelcomeDialogComesOncePerCreationAndASwitchedOffOneIsSaved) {
  testing::store_keys(rt.settings_store(), {{"show_welcome", "1"}});
  int16_t box_at_load = -1;
  answer_modals([&](ModalForm& form) {
    if (auto* welcome = dynamic_cast<frm_welcome*>(&form)) {
      box_at_load = welcome->Check1.Value;
      welcome->Check1.click();
    }
  });
  open();
  EXPECT_EQ(rt.modal_forms, std::vector<std::string>{"Welcome To Quarlyn!"});
  EXPECT_EQ(box_at_load, 1);
  EXPECT_EQ(settings.show_welcome, 0);
  EXPECT_EQ(stored("show_welcome"), "0");

  window->Command2_Click();
  window->Command3_Click();
  rt.show_modeless(*window);
  EXPECT_EQ(rt.modal_forms, (std::vector<std::string>{"Welcome To Quarlyn!", "About", "Quarlyn - Help"}));

  // A new window shows it again; left ticked, nothing is saved then.
  answer_modals();
  window->Unload();
  testing::store_keys(rt.settings_store(), {{"show_welcome", "1"}, {"game_difficulty", "5"}});
  open();
  window->Image2.Click();
  EXPECT_EQ(rt.modal_forms.back(), "Welcome To Quarlyn!");
  EXPECT_EQ(stored("game_difficulty"), "5");
}

TEST_F(ConfigurationWindowTest, SettingsAreSavedAfterOptionsBeforeAGameAndOnCloseOnly) {
  answer_modals();
  open();
  auto choose_and_check = [&](int type, const char* expected) {
    window->game_type_Click(type);
    return stored("game_difficulty") == expected;
  };
  window->Command2_Click();
  window->Command3_Click();
  window->Command5_Click();
  run_for(3000);
  EXPECT_TRUE(choose_and_check(4, "3")) << "about, help, home page and idle time save nothing";
  window->Command4_Click();
  EXPECT_EQ(stored("game_difficulty"), "4") << "saved after the options dialog";
  window->game_type_Click(6);
  settings.graphics_files[5] = "/nonexistent/back5.bmp";
  window->Command7_Click();
  EXPECT_EQ(stored("game_difficulty"), "6") << "saved before a game, even one that cannot start";
  window->game_type_Click(2);
  window->Command6_Click();
  EXPECT_EQ(stored("game_difficulty"), "2") << "saved on close";
  EXPECT_FALSE(window->loaded());
}

TEST_F(ConfigurationWindowTest, TheTitleTuneLoopsStopsWithMusicOffAndStartsAtTheFirstTickAfterItIsOn) {
  open();
  run_for(260);
  ASSERT_EQ(opens_of_tune(), 1);
  const RecordedCommand& open_command =
      *std::find_if(rt.mm_commands.begin(), rt.mm_commands.end(), [](const auto& c) { return c.command == "Open"; });
  EXPECT_EQ(open_command.device_type, "Sequencer");
  EXPECT_EQ(open_command.file_name, std::string(QUARLYN_BUILD_DATA_DIR) + "title.mid");
  EXPECT_TRUE(open_command.notify);
  run_for(3000);
  EXPECT_EQ(opens_of_tune(), 1) << "not reopened while it plays";
  tune().finish();
  run_for(1250);
  EXPECT_EQ(opens_of_tune(), 2) << "replayed at the tick after the stopped status";

  answer_modals([](ModalForm& form) { dynamic_cast<frm_options&>(form).Check2.click(); });
  window->Command4_Click();
  EXPECT_EQ(settings.music_on, "0");
  EXPECT_FALSE(tune().is_open());
  run_for(3000);
  EXPECT_EQ(opens_of_tune(), 2) << "no tune with music off";

  window->Command4_Click();
  EXPECT_EQ(settings.music_on, "1");
  const int32_t switched_on = rt.time_get_time();
  run_for(251);
  EXPECT_EQ(opens_of_tune(), 3);
  const auto last_open = std::find_if(rt.mm_commands.rbegin(), rt.mm_commands.rend(),
                                      [](const auto& c) { return c.command == "Open"; });
  EXPECT_NE(last_open, rt.mm_commands.rend());
  EXPECT_LE(rt.time_get_time() - switched_on, 251);
}

TEST_F(ConfigurationWindowTest, AGameWithAMissingPictureShowsTheMessageAndChangesNothingElse) {
  open();
  settings.graphics_files[12] = "/nonexistent/bricks.bmp";
  const int opens = opens_of_tune();
  window->Command7_Click();
  ASSERT_EQ(rt.message_boxes.size(), 1u);
  EXPECT_EQ(rt.message_boxes[0].prompt,
            "Error initializing game graphics! Please click on Options and use default settings.");
  EXPECT_EQ(rt.message_boxes[0].title, "Error!");
  EXPECT_TRUE(window->shown());
  EXPECT_TRUE(window->Timer1.enabled());
  EXPECT_EQ(opens_of_tune(), opens);
  EXPECT_FALSE(flags.saver_running);
  EXPECT_EQ(flags.started_from_config, 0);
  EXPECT_TRUE(rt.screen_windows.empty());
}

TEST_F(ConfigurationWindowTest, AGameRunsHiddenInTheSaverAndTheWindowReturnsWithTheTableRefreshed) {
  open();
  bool hidden_during_game = false;
  int32_t robot_during_game = -1;
  int32_t from_config_during_game = -1;
  // The first frame shows how the game was started; a recorded entry then Esc end it.
  rt.after(1000, [&] {
    hidden_during_game = !window->shown();
    robot_during_game = flags.robot_playing;
    from_config_during_game = flags.started_from_config;
    settings.hiscore_name[3][1] = "Zed";
    ASSERT_EQ(rt.screen_windows.size(), 1u);
    rt.screen_windows[0]->handler().Form_KeyDown(kKeyEsc, 0);
  });
  window->Command7_Click();
  EXPECT_TRUE(hidden_during_game);
  EXPECT_EQ(robot_during_game, 0);
  EXPECT_EQ(from_config_during_game, 1);
  EXPECT_TRUE(window->shown());
  EXPECT_FALSE(flags.saver_running);
  EXPECT_EQ(flags.started_from_config, 0);
  EXPECT_EQ(window->scores.Label1[0].Caption, "Zed");
  EXPECT_TRUE(window->Timer1.enabled());
  EXPECT_TRUE(rt.screen_windows.empty()) << "the saver window is gone";
}

TEST_F(ConfigurationWindowTest, ASaverThatEndsAtOnceBringsTheWindowBack) {
  open();
  // Esc in the first frame, as soon as the saver window is there.
  std::function<void()> escape_when_shown = [&] {
    if (rt.screen_windows.empty()) {
      rt.after(1, escape_when_shown);
    } else {
      rt.after(0, [&] { rt.screen_windows.at(0)->handler().Form_KeyDown(kKeyEsc, 0); });
    }
  };
  rt.after(0, escape_when_shown);
  window->Command7_Click();
  EXPECT_TRUE(window->shown());
  EXPECT_FALSE(flags.saver_running);
}

TEST_F(ConfigurationWindowTest, TheTipChangesAtEveryNewMousePositionOnly) {
  open();
  rt.scripted_draws = {0.0, 0.95, 0.5};
  window->Image9.MouseMove(0, 0, 10, 5);
  EXPECT_EQ(window->Image9.ToolTipText, " Welcome to Quarlyn! ");
  window->Image9.MouseMove(0, 0, 10, 5);
  EXPECT_EQ(window->Image9.ToolTipText, " Welcome to Quarlyn! ");
  EXPECT_EQ(rt.scripted_draws.size(), 2u);
  window->Image9.MouseMove(0, 0, 11, 5);
  EXPECT_EQ(window->Image9.ToolTipText, " Clearing 2-4 lines at a time greatly increases your score! ");
}

TEST_F(ConfigurationWindowTest, AHomePageResultOfThirtyTwoIsAFailure) {
  open();
  rt.shell_result = 33;
  window->Command5_Click();
  EXPECT_TRUE(rt.message_boxes.empty());
  rt.shell_result = 32;
  window->Command5_Click();
  ASSERT_EQ(rt.shell_opens.size(), 2u);
  EXPECT_EQ(rt.shell_opens[1].file, kHomePage);
  EXPECT_EQ(rt.shell_opens[1].show, 1);
  ASSERT_EQ(rt.message_boxes.size(), 1u);
  EXPECT_EQ(rt.message_boxes[0].prompt,
            "Error Launching Your Default Browser!\r\rPlease make sure you have a DEFAULT browser selected and try "
            "again.");
  EXPECT_EQ(rt.message_boxes[0].title, "Error!");
}

}  // namespace
}  // namespace quarlyn
