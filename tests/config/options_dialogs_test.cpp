#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "config/graphics_dialog.h"
#include "config/music_dialog.h"
#include "config/options_dialog.h"
#include "config/picture_chooser.h"
#include "platform/picture_files.h"
#include "platform/test/test_mm_control.h"
#include "platform/test/test_runtime.h"
#include "startup/default_files.h"
#include "support/temp_folder.h"

namespace quarlyn {
namespace {

class OptionsDialogsTest : public ::testing::Test {
 protected:
  OptionsDialogsTest() {
    settings.install_path = folder("program") + "/";
    default_graphics_files(settings);
    default_audio_files(settings);
    settings.graphics_browse_path = settings.install_path;
    settings.music_browse_path = settings.install_path;
    save_picture(Surface(400, 100, rgb(255, 0, 0)), folder("pictures") + "/wide.bmp");
    save_picture(Surface(100, 400), folder("pictures") + "/TALL.BMP");
    save_picture(Surface(8, 8), folder("pictures") + "/\xe9t\xe9 photo.bmp");  // Latin-1, not UTF-8
    tree.file("pictures/broken.jpg", 50);
    folder("pictures/sub");
    folder("music");
    folder("three");
    for (int i = 0; i < 10; ++i) tree.file("music/tune" + std::to_string(i) + ".mid", 4);
    tree.file("three/a.mid", 4);
    tree.file("three/b.RMI", 4);
    tree.file("three/c.mid", 4);
    rt.on_modal = [this](ModalForm& form) {
      if (auto found = answers.find(form.caption); found != answers.end()) found->second(form);
      form.Unload();
    };
  }
  std::string folder(const std::string& name) {
    std::filesystem::create_directories(tree.path() / name);
    return (tree.path() / name).string();
  }
  template <typename Dialog>
  void answer(const std::string& caption, std::function<void(Dialog&)> act) {
    answers[caption] = [act](ModalForm& form) { act(dynamic_cast<Dialog&>(form)); };
  }
  // Opens the chooser in `start`, lets `act` work it, and returns its choice.
  std::string choose(const std::string& start, std::function<void(frm_getgraphic&)> act) {
    settings.graphics_browse_path = start;
    frm_getgraphic chooser(rt, settings);
    answer<frm_getgraphic>("Select A Graphic", act);
    rt.show_modal(chooser);
    return chooser.chosen_graphic_file;
  }
  static int row_of(const FileListBox& list, const std::string& name) {
    for (int i = 0; i < list.ListCount(); ++i)
      if (list.List(i) == name) return i;
    return -1;
  }
  void play_music(std::function<void(frm_music&)> act) {
    answer<frm_music>("Quarlyn - Music Selection", act);
    frm_music music(rt, settings);
    rt.show_modal(music);
  }
  static void open_folder(frm_music& music, const std::string& path) { music.Dir1.set_path(path); }
  void fill_playlist(int count) {
    settings.audio_files_total = count;
    for (int i = 1; i <= count; ++i) settings.audio_files[i] = "/x/" + std::to_string(i) + ".mid";
  }

  testing::TempFolder tree;
  TestRuntime rt;
  Settings settings;
  std::map<std::string, std::function<void(ModalForm&)>> answers;
};

TEST_F(OptionsDialogsTest, OptionsGiveBackWholeNumbersWhicheverWayTheyClose) {
  settings.soundfx_on = "1.0";
  settings.music_on = "0";
  settings.frame_rate = 20;
  {
    frm_options options(rt, settings);
    rt.show_modal(options);
  }
  EXPECT_EQ(settings.soundfx_on, "1");
  EXPECT_EQ(settings.music_on, "0");
  EXPECT_EQ(settings.frame_rate, 20);
  answer<frm_options>("Quarlyn - Options", [](frm_options& options) {
    options.Check1.click();
    options.HScroll1.scroll_to(1000);  // the close box, below, keeps this as Ok would
  });
  frm_options options(rt, settings);
  rt.show_modal(options);
  EXPECT_EQ(settings.soundfx_on, "0");
  EXPECT_EQ(settings.frame_rate, 40);
  EXPECT_EQ(options.HScroll1.Min, 1);
}

TEST_F(OptionsDialogsTest, ThePictureListTakesAChoiceKeepsItsRowOnCancelAndDefaultsReplaceEveryPath) {
  const std::string wide = folder("pictures") + "/wide.bmp";
  answer<frm_getgraphic>("Select A Graphic", [](frm_getgraphic& chooser) {
    chooser.File1.click_row(row_of(chooser.File1, "wide.bmp"));
  });
  settings.graphics_browse_path = folder("pictures");
  frm_graphics graphics(rt, settings);
  answer<frm_graphics>("Quarlyn - Graphics Selection", [&](frm_graphics& dialog) {
    EXPECT_EQ(dialog.Label1[16].Caption, "Playfield Grid (210x480) ");
    dialog.Command2[11].Click();
    EXPECT_EQ(dialog.Label2[11].Caption, wide);
    answer<frm_getgraphic>("Select A Graphic", [](frm_getgraphic& chooser) {
      chooser.File1.click_row(0);
      chooser.Command2.Click();
    });
    dialog.Command2[12].Click();
    EXPECT_EQ(settings.graphics_files[13], settings.install_path + "gameover.bmp");
    EXPECT_EQ(settings.graphics_files[12], wide);
    dialog.Command3.Click();
    EXPECT_EQ(dialog.Label2[11].Caption, settings.install_path + "bricks.bmp");
  });
  rt.show_modal(graphics);
  EXPECT_EQ(settings.graphics_files[12], settings.install_path + "bricks.bmp");
}

TEST_F(OptionsDialogsTest, TheFitFillsOneSideAndCentresOnTheOther) {
  frm_getgraphic chooser(rt, settings);
  const auto fit = [&](double width, double height) {
    chooser.center_control_check_scale(0, 0, 2475, 3765, height, width, 100);
    return std::vector<double>{chooser.preview_left, chooser.preview_top, chooser.preview_width,
                               chooser.preview_height};
  };
  EXPECT_EQ(fit(400, 100), (std::vector<double>{0, 766.875, 3765, 941.25}));
  EXPECT_EQ(fit(100, 400), (std::vector<double>{1573.125, 0, 618.75, 2475}));
  EXPECT_EQ(fit(50, 50), (std::vector<double>{645, 0, 2475, 2475}));
  EXPECT_DOUBLE_EQ(fit(30, 10)[2], 3765) << "a small picture is enlarged";
}

TEST_F(OptionsDialogsTest, TheChooserHandsBackTheLastReadableClickUnlessCancelled) {
  const std::string pictures = folder("pictures");
  EXPECT_EQ(choose(pictures, [](frm_getgraphic&) {}), "");
  EXPECT_EQ(choose(pictures, [](frm_getgraphic& c) {
              c.File1.click_row(row_of(c.File1, "wide.bmp"));
              c.Command2.Click();
            }),
            "");
  EXPECT_EQ(choose(pictures, [&](frm_getgraphic& c) {
              EXPECT_EQ(c.File1.ListCount(), 4) << "TALL.BMP, broken.jpg, wide.bmp and the Latin-1 name";
              c.File1.click_row(row_of(c.File1, "wide.bmp"));
              EXPECT_EQ(c.destination_image.picture.pixel(188, 123), rgb(255, 0, 0)) << "the preview, centred";
              EXPECT_EQ(c.destination_image.picture.pixel(188, 20), rgb(0, 0, 0));
              c.File1.click_row(row_of(c.File1, "broken.jpg"));
              EXPECT_EQ(c.destination_image.picture.pixel(188, 123), rgb(0, 0, 0)) << "an unreadable file: empty";
              c.Dir1.double_click_row(c.Dir1.depth_of_path);
              EXPECT_EQ(c.File1.ListCount(), 0);
              c.Command1.Click();
            }),
            pictures + "/wide.bmp");
  EXPECT_EQ(settings.graphics_browse_path, pictures + "/sub") << "remembered for the next opening";
  EXPECT_EQ(choose(pictures, [](frm_getgraphic& c) { c.File1.click_row(3); }), pictures + "/\xe9t\xe9 photo.bmp");
  const std::string removed_medium = pictures + "/gone";
  EXPECT_EQ(choose(pictures + "/gone/deeper", [&](frm_getgraphic& c) {
              EXPECT_EQ(c.Dir1.Path, pictures) << "a folder that went: the nearest one above";
              c.Dir1.double_click_row(c.Dir1.depth_of_path);
              c.Drive1.names.push_back("medium");
              c.Drive1.paths.push_back(removed_medium);
              c.Drive1.choose(static_cast<int>(c.Drive1.paths.size()) - 1);
              EXPECT_EQ(c.Dir1.Path, pictures) << "a drive that cannot be opened: back where the dialog opened";
              EXPECT_NE(c.Drive1.Drive, removed_medium);
              c.Command1.Click();
            }),
            "");
  EXPECT_TRUE(rt.message_boxes.empty());
}

TEST_F(OptionsDialogsTest, AFullPlaylistTakesNothingMoreAndSaysSoOncePerRow) {
  fill_playlist(499);
  play_music([&](frm_music& music) {
    open_folder(music, folder("three"));
    music.Command2.Click();
    music.Command3.Click();
  });
  EXPECT_EQ(settings.audio_files_total, 500);
  EXPECT_EQ(settings.audio_files[500], folder("three") + "/a.mid");
  ASSERT_EQ(rt.message_boxes.size(), 2u);
  EXPECT_EQ(rt.message_boxes[0].prompt, "Maximum of 500 Audio Files Reached!");
  EXPECT_EQ(rt.message_boxes[0].title, "Screen Saver Audio Files");
  play_music([&](frm_music& music) {
    open_folder(music, folder("music"));
    music.File1.click_row(3);
    music.Command1.Click();
    music.Command3.Click();
  });
  EXPECT_EQ(rt.message_boxes.size(), 12u);
  EXPECT_EQ(settings.audio_files_total, 500);
}

TEST_F(OptionsDialogsTest, PlaylistEditsReachTheSettingsOnlyThroughOkOrDefaults) {
  fill_playlist(2);
  play_music([&](frm_music& music) {
    open_folder(music, folder("music"));
    music.File1.click_row(1);
    music.File1.click_row(2, 2);
    music.Command1.Click();
    music.Command1.Click();
    EXPECT_EQ(music.List2.ListCount(), 6) << "duplicates are kept";
    music.Command5.Click();
    EXPECT_EQ(music.List2.ListCount(), 6) << "nothing selected, nothing removed";
    music.List2.click_row(0);
    music.List2.click_row(2, 2);
    music.Command5.Click();
    EXPECT_EQ(music.List2.ListIndex, -1);
    music.Command3.Click();
  });
  EXPECT_EQ(settings.audio_files_total, 4);
  EXPECT_EQ(settings.audio_files[1], "/x/2.mid");
  EXPECT_EQ(settings.audio_files[2], folder("music") + "/tune2.mid");
  EXPECT_EQ(settings.audio_files[3], folder("music") + "/tune1.mid");
  play_music([](frm_music& music) {
    music.List2.click_row(0);
    music.List2.click_row(3, 1);
    music.Command5.Click();
    music.Command3.Click();
  });
  EXPECT_EQ(settings.audio_files_total, 0);
  play_music([](frm_music& music) {
    music.Command4.Click();
    EXPECT_EQ(music.List2.ListCount(), 10);
    music.Command6.Click();
  });
  EXPECT_EQ(settings.audio_files_total, 10) << "Defaults stay after Cancel";
  EXPECT_EQ(settings.audio_files[10], settings.install_path + "music10.mid");
}

TEST_F(OptionsDialogsTest, APreviewPlaysWithMusicOffAsWaveOrSequencerAndStopsWithTheDialog) {
  settings.music_on = "0";
  fill_playlist(1);
  settings.audio_files[1] = "/sounds/Tune.Wav";
  play_music([&](frm_music& music) {
    music.List2.double_click_row(0);
    EXPECT_EQ(rt.mm_commands.back().command, "Play");
    EXPECT_EQ(rt.mm_commands.back().device_type, "WaveAudio");
    EXPECT_EQ(rt.mm_commands.back().file_name, "/sounds/Tune.Wav");
    EXPECT_TRUE(rt.mm_commands.back().notify);
    open_folder(music, folder("music"));
    music.File1.double_click_row(0);
    EXPECT_EQ(rt.mm_commands.back().device_type, "Sequencer");
    EXPECT_EQ(rt.mm_commands.back().file_name, folder("music") + "/tune0.mid");
  });
  EXPECT_EQ(rt.mm_commands.back().command, "Close");
  EXPECT_EQ(settings.music_browse_path, folder("music"));
}

}  // namespace
}  // namespace quarlyn
