#include "config/info_dialogs.h"

#include <gtest/gtest.h>

#include "config/configuration_window.h"
#include "config/high_score_view.h"
#include "config/options_dialog.h"
#include "platform/test/test_runtime.h"

namespace quarlyn {
namespace {

constexpr const char* kBrowserError =
    "Error Launching Your Default Browser!\r\rPlease make sure you have a DEFAULT browser selected and try again.";

class InfoDialogsTest : public ::testing::Test {
 protected:
  InfoDialogsTest() { settings.install_path = "/opt/quarlyn/"; }

  // Shows `form` modally; `act` runs inside it, then the form is unloaded unless it did so.
  void show(ModalForm& form, const std::function<void()>& act) {
    rt.on_modal = [&](ModalForm& shown) {
      act();
      still_open = shown.loaded();
      shown.Unload();
    };
    rt.show_modal(form);
  }

  TestRuntime rt;
  Settings settings;
  bool still_open = false;
};

TEST_F(InfoDialogsTest, TheAboutDialogShowsTheVersionAndClosesAfterEveryHomePageAttempt) {
  EXPECT_EQ(version_line({2, 0, 2}), "Version 2.0.2");
  EXPECT_EQ(version_line({2, 0, 15}), "Version 2.0.15");
  frm_about about(rt);
  show(about, [&] {
    EXPECT_EQ(about.caption, "About - Quarlyn");
    EXPECT_EQ(about.Label2.Caption, "Version 2.0.2");
    EXPECT_EQ(about.Label3.Caption, kHomePage);
    EXPECT_EQ(about.Label4.Caption, "support@dovrane.example");
    EXPECT_EQ(about.controls.back(), &about.Image1) << "the logo is in front";
    about.Command4.Click();
  });
  EXPECT_FALSE(still_open) << "closed after the browser started";
  EXPECT_TRUE(rt.message_boxes.empty());

  rt.shell_result = 32;
  frm_about failing(rt);
  show(failing, [&] { failing.Command4.Click(); });
  EXPECT_FALSE(still_open);
  ASSERT_EQ(rt.message_boxes.size(), 1u);
  EXPECT_EQ(rt.message_boxes[0].prompt, kHomePage);
  EXPECT_EQ(rt.message_boxes[0].title, "Failed To Launch Default Web Browser!");
}

TEST_F(InfoDialogsTest, LaunchFileOpensFromTheFilesFolderAndShowsThePathOnFailure) {
  frm_about about(rt);
  rt.shell_result = 32;
  about.launch_file("/opt/quarlyn/readme.txt", "-x", 3);
  about.launch_file("readme.txt", "", 1);
  ASSERT_EQ(rt.shell_opens.size(), 2u);
  EXPECT_EQ(rt.shell_opens[0].folder, "/opt/quarlyn/");
  EXPECT_EQ(rt.shell_opens[0].parameters, "-x");
  EXPECT_EQ(rt.shell_opens[0].show, 3);
  EXPECT_EQ(rt.shell_opens[1].folder, "");
  ASSERT_EQ(rt.message_boxes.size(), 2u);
  EXPECT_EQ(rt.message_boxes[1].prompt, "readme.txt");
  EXPECT_EQ(rt.message_boxes[1].title, "Failed To Launch File!");
}

TEST_F(InfoDialogsTest, TheHelpDialogOpensHelpFromTheProgramFolderAndStaysOpen) {
  frm_help help(rt, settings);
  rt.shell_result = 32;
  show(help, [&] {
    EXPECT_EQ(help.Label2[0].Caption, "Left Arrow  or  A = Move Piece To The Left");
    EXPECT_EQ(help.Label2[5].Caption, "ESC Key =  Exit Game");
    help.Command1.Click();
  });
  EXPECT_TRUE(still_open);
  ASSERT_EQ(rt.shell_opens.size(), 1u);
  EXPECT_EQ(rt.shell_opens[0].file, "/opt/quarlyn/help.htm");
  ASSERT_EQ(rt.message_boxes.size(), 1u);
  EXPECT_EQ(rt.message_boxes[0].prompt, kBrowserError);
  EXPECT_EQ(rt.message_boxes[0].title, "Error!");
}

TEST_F(InfoDialogsTest, TheWelcomeBoxDecidesShowWelcomeWhicheverWayTheDialogCloses) {
  settings.show_welcome = 1;
  frm_welcome ticked(rt, settings);
  show(ticked, [&] { ticked.Command1.Click(); });
  EXPECT_EQ(settings.show_welcome, 1);
  frm_welcome unticked(rt, settings);
  show(unticked, [&] { unticked.Check1.click(); });  // closed by the close box
  EXPECT_EQ(settings.show_welcome, 0);
}

TEST_F(InfoDialogsTest, TheOptionsDialogWritesWholeNumbersBackAndItsBarEndsAtForty) {
  settings.music_on = "1";
  settings.soundfx_on = "0";
  settings.frame_rate = 20;
  frm_options options(rt, settings);
  show(options, [&] { options.HScroll1.scroll_to(1000); });
  EXPECT_EQ(settings.frame_rate, 40);
  EXPECT_EQ(settings.music_on, "1");
  EXPECT_EQ(settings.soundfx_on, "0");
}

// The compiled-in pictures are drawn at the sizes of the controls that show them.
TEST_F(InfoDialogsTest, EveryWindowPictureFitsItsControlExactly) {
  RunFlags flags;
  frm_configuration configuration(rt, settings, flags);
  frm_about about(rt);
  frm_help help(rt, settings);
  frm_welcome welcome(rt, settings);
  frm_options options(rt, settings);
  for (ModalForm* form : std::initializer_list<ModalForm*>{&configuration, &about, &help, &welcome, &options}) {
    int pictures = 0;
    for (Control* control : form->controls) {
      const Surface* picture = nullptr;
      if (auto* image = dynamic_cast<Image*>(control)) picture = image->picture.empty() ? nullptr : &image->picture;
      if (auto* button = dynamic_cast<CommandButton*>(control)) picture = button->caption.empty() ? &button->picture : nullptr;
      if (picture == nullptr) continue;
      ++pictures;
      EXPECT_EQ(picture->width(), control->bounds.width) << form->caption;
      EXPECT_EQ(picture->height(), control->bounds.height) << form->caption;
    }
    EXPECT_GT(pictures, 0) << form->caption;
  }
  // The game types get their pictures when the window loads, from the two held for each.
  frm_configuration& c = configuration;
  const std::array<std::array<const Image*, 3>, 7> held = {{{&c.Image2, &c.Image10, &c.Image11},
                                                           {&c.Image3, &c.Image12, &c.Image13},
                                                           {&c.Image4, &c.Image14, &c.Image15},
                                                           {&c.Image5, &c.Image16, &c.Image17},
                                                           {&c.Image6, &c.Image18, &c.Image19},
                                                           {&c.Image7, &c.Image20, &c.Image21},
                                                           {&c.Image8, &c.Image22, &c.Image23}}};
  for (const auto& [shown, unselected, selected] : held) {
    for (const Image* holder : {unselected, selected}) {
      EXPECT_EQ(holder->picture.width(), shown->bounds.width);
      EXPECT_EQ(holder->picture.height(), shown->bounds.height);
    }
  }
}

TEST(HighScoreView, TheFortyLineGameShowsTimesAndEmptyPlaces) {
  Settings settings;
  settings.game_difficulty = 6;
  const char* stored[] = {"99999", "0", "95", "lots", "7"};
  for (int p = 1; p <= kPlaces; ++p) settings.hiscore_score[6][p] = stored[(p - 1) % 5];
  settings.hiscore_score[1][1] = "lots";
  HighScoreLabels labels;
  setup_high_score_labels(labels);
  show_scores(settings, labels);
  EXPECT_EQ(labels.Label2[0].Caption, "00:00");
  EXPECT_EQ(labels.Label2[1].Caption, "0:00");
  EXPECT_EQ(labels.Label2[2].Caption, "1:35");
  EXPECT_EQ(labels.Label2[3].Caption, "0:00");
  EXPECT_EQ(labels.Label2[4].Caption, "0:07");
  settings.game_difficulty = 1;
  show_scores(settings, labels);
  EXPECT_EQ(labels.Label2[0].Caption, "lots");
  EXPECT_EQ(labels.Label3[9].bounds.top, 159 + 27 * 9);
  EXPECT_TRUE(labels.Label1[0].ToolTipText.empty());
  labels.Label1[0].MouseMove(0, 0, 3, 3);
  EXPECT_EQ(labels.Label1[0].ToolTipText, " This is the name of the person who scored the high score! ");
}

TEST(HighScoreView, AStoredTimeShowsTheDecimalNumberItStartsWith) {
  const std::pair<const char*, const char*> cases[] = {
      {"-5", "0:0-5"}, {"1e2", "0:01"}, {" 61.9s", "1:01"}, {"-", "0:00"}, {"inf", "0:00"}, {"0x1F", "0:00"}};
  Settings settings;
  settings.game_difficulty = 6;
  HighScoreLabels labels;
  for (const auto& [stored, shown] : cases) {
    settings.hiscore_score[6][1] = stored;
    show_scores(settings, labels);
    EXPECT_EQ(labels.Label2[0].Caption, shown) << stored;
  }
}

}  // namespace
}  // namespace quarlyn
