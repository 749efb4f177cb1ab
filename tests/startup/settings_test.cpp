#include "startup/settings.h"

#include <gtest/gtest.h>

#include "platform/test/test_runtime.h"
#include "support/store_helpers.h"

namespace quarlyn {
namespace {

using testing::store_keys;
using testing::stored_text;

class SettingsTest : public ::testing::Test {
 protected:
  void install(const std::string& path = "/opt/quarlyn/") { store_keys(rt.settings_store(), {{"install_path", path}}); }
  void load() { load_settings(rt, s); }

  TestRuntime rt;
  Settings s;
};

TEST_F(SettingsTest, AStoreWithOnlyTheProgramFolderLoadsEveryDefault) {
  install();
  load();
  EXPECT_EQ(s.install_path, "/opt/quarlyn/");
  EXPECT_EQ(s.frame_rate, 20);
  EXPECT_EQ(s.show_time, "1");
  EXPECT_EQ(s.soundfx_on, "1");
  EXPECT_EQ(s.music_on, "1");
  EXPECT_EQ(s.skip_logo, 0);
  EXPECT_EQ(s.show_welcome, 1);
  EXPECT_EQ(s.game_starting_level, 1);
  EXPECT_EQ(s.piece_type, 1);
  EXPECT_EQ(s.game_difficulty, 1);
  EXPECT_EQ(s.screen_blit, 0);
  EXPECT_EQ(s.game_trigger, 0);
  EXPECT_EQ(s.misc_plain, "");
  for (int g = 1; g <= kGameTypes; ++g) {
    for (int n = 1; n <= kPlaces; ++n) {
      EXPECT_EQ(s.hiscore_name[g][n], "<empty>");
      EXPECT_EQ(s.hiscore_score[g][n], g == 6 ? "99999" : "0");
      EXPECT_EQ(s.hiscore_lines[g][n], "0");
    }
  }
  EXPECT_EQ(s.graphics_files[1], "/opt/quarlyn/back1.bmp");
  EXPECT_EQ(s.graphics_files[18], "/opt/quarlyn/hiscore.bmp");
  EXPECT_EQ(s.audio_files_total, 10);
  EXPECT_EQ(s.audio_files[10], "/opt/quarlyn/music10.mid");
  EXPECT_EQ(s.graphics_browse_path, "/opt/quarlyn/");
  EXPECT_EQ(s.music_browse_path, "/opt/quarlyn/");
  EXPECT_TRUE(rt.message_boxes.empty());
}

TEST_F(SettingsTest, AMissingProgramFolderShowsTheInstallationErrorAndEndsBeforeReadingMore) {
  store_keys(rt.settings_store(), {{"frame_rate", "35"}});
  EXPECT_THROW(load(), ProgramEnded);
  ASSERT_EQ(rt.message_boxes.size(), 1u);
  EXPECT_EQ(rt.message_boxes[0].title, "Quarlyn");
  EXPECT_EQ(rt.message_boxes[0].prompt,
            "Program Error!\r<Installation Path Not Found!>\rPlease remove this program and then install it "
            "again.\r\rIf the problem continues please contact Dovrane at:\r" +
                std::string(kSupportContact));
  EXPECT_EQ(s.frame_rate, 20);
}

TEST_F(SettingsTest, OnlyTheExactWordEmptyStopsTheProgram) {
  install("empty");
  EXPECT_THROW(load(), ProgramEnded);

  install("Empty");
  Settings other;
  load_settings(rt, other);
  EXPECT_EQ(other.install_path, "Empty/");
}

TEST_F(SettingsTest, TheProgramFolderAlwaysEndsInASlash) {
  install("/opt/q");
  load();
  EXPECT_EQ(s.install_path, "/opt/q/");
  EXPECT_EQ(s.graphics_files[10], "/opt/q/back10.bmp");
  install("");
  load();
  EXPECT_EQ(s.install_path, "/");
}

TEST_F(SettingsTest, OnlyTheFirstPictureKeyDecidesWhetherTheDefaultsAreTaken) {
  install();
  SettingsStore::Entries pictures;
  for (int i = 2; i <= kGraphicsFiles; ++i) pictures.push_back({"Gfiles" + std::to_string(i), "/mine/" + std::to_string(i)});
  store_keys(rt.settings_store(), pictures);
  load();
  EXPECT_EQ(s.graphics_files[5], "/opt/quarlyn/back5.bmp");

  TestRuntime other;
  store_keys(other.settings_store(), {{"install_path", "/opt/quarlyn/"}, {"Gfiles1", "/mine/1"}});
  pictures.erase(pictures.begin() + 3);  // Gfiles5
  store_keys(other.settings_store(), pictures);
  Settings partial;
  load_settings(other, partial);
  EXPECT_EQ(partial.graphics_files[1], "/mine/1");
  EXPECT_EQ(partial.graphics_files[5], "empty");
  EXPECT_EQ(partial.graphics_files[6], "/mine/6");
}

TEST_F(SettingsTest, PlaylistCountRules) {
  install();
  store_keys(rt.settings_store(), {{"audio_files_total", "0"}, {"audio_files1", "/never/read.mid"}});
  load();
  EXPECT_EQ(s.audio_files_total, 0);
  EXPECT_EQ(s.audio_files[1], "");
  save_settings(rt, s);
  EXPECT_EQ(stored_text(rt.settings_store(), "audio_files_total"), "0");

  // A shorter list saved after a longer one leaves the old keys behind, and they are never read.
  s.audio_files_total = 5;
  for (int i = 1; i <= 5; ++i) s.audio_files[i] = "/long/" + std::to_string(i) + ".mid";
  save_settings(rt, s);
  s.audio_files_total = 2;
  save_settings(rt, s);
  EXPECT_EQ(stored_text(rt.settings_store(), "audio_files5"), "/long/5.mid");
  Settings reloaded;
  load_settings(rt, reloaded);
  EXPECT_EQ(reloaded.audio_files_total, 2);
  EXPECT_EQ(reloaded.audio_files[3], "");

  // Entries above the loaded count keep what memory held.
  reloaded.audio_files[4] = "kept";
  load_settings(rt, reloaded);
  EXPECT_EQ(reloaded.audio_files[4], "kept");

  // An emptied list saved over stored entries writes the count 0 and no entry key.
  s.audio_files_total = 0;
  s.audio_files[1] = "/in/memory.mid";
  save_settings(rt, s);
  EXPECT_EQ(stored_text(rt.settings_store(), "audio_files_total"), "0");
  EXPECT_EQ(stored_text(rt.settings_store(), "audio_files1"), "/long/1.mid");
}

TEST_F(SettingsTest, IntegersAreNormalisedButTextSettingsAreKeptAsStored) {
  install();
  store_keys(rt.settings_store(), {{"frame_rate", "020"}, {"show_time", "020"}, {"music_on", " 0"}});
  load();
  EXPECT_EQ(s.frame_rate, 20);
  save_settings(rt, s);
  EXPECT_EQ(stored_text(rt.settings_store(), "frame_rate"), "20");
  EXPECT_EQ(stored_text(rt.settings_store(), "show_time"), "020");
  EXPECT_EQ(stored_text(rt.settings_store(), "music_on"), " 0");
  EXPECT_EQ(stored_text(rt.settings_store(), "install_path"), "/opt/quarlyn/");
}

TEST_F(SettingsTest, BadStoredValuesTakeSafeValues) {
  install();
  store_keys(rt.settings_store(), {{"frame_rate", "fast"},
                                   {"skip_logo", "40000"},
                                   {"show_welcome", "-40000"},
                                   {"game_starting_level", "3x"},
                                   {"piece_type", "+2"},
                                   {"screen_blit", "-1"},
                                   {"game_trigger", ""}});
  load();
  EXPECT_EQ(s.frame_rate, 20);
  EXPECT_EQ(s.skip_logo, 0);
  EXPECT_EQ(s.show_welcome, 1);
  EXPECT_EQ(s.game_starting_level, 1);
  EXPECT_EQ(s.piece_type, 2);
  EXPECT_EQ(s.screen_blit, -1);
  EXPECT_EQ(s.game_trigger, 0);

  for (const auto& [stored, expected] : std::vector<std::pair<std::string, int>>{{"0", 1}, {"8", 1}, {"-3", 1}, {"7", 7}}) {
    store_keys(rt.settings_store(), {{"game_difficulty", stored}});
    load();
    EXPECT_EQ(s.game_difficulty, expected) << stored;
  }
  for (const auto& [stored, expected] : std::vector<std::pair<std::string, int>>{
           {"none", 10}, {"99999999999", 10}, {"501", 500}, {"500", 500}, {"-2", 0}, {"-1", 10}}) {
    store_keys(rt.settings_store(), {{"audio_files_total", stored}});
    load();
    EXPECT_EQ(s.audio_files_total, expected) << stored;
  }
}

TEST_F(SettingsTest, MiscScramblingRoundTrips) {
  std::string every_byte;
  for (int c = 0; c < 256; ++c) every_byte += static_cast<char>(c);
  for (const std::string& plain : {std::string(), std::string("a"), std::string("Quarlyn 1.0 registered"), every_byte}) {
    s.misc_plain = plain;
    scramble_misc(s);
    EXPECT_EQ(s.misc_scrambled.size(), plain.size() * 2);
    std::string stored = s.misc_scrambled;
    unscramble_misc(s);
    EXPECT_EQ(s.misc_plain, plain);
    scramble_misc(s);
    EXPECT_EQ(s.misc_scrambled, stored);
  }
  // Position 1 uses the second key character ('e'): 'A' ^ 'e' = 0x24 gives "xe".
  s.misc_plain = "A";
  scramble_misc(s);
  EXPECT_EQ(s.misc_scrambled, "xe");
}

TEST_F(SettingsTest, AMiscTextSurvivesLoadAndSaveUnchangedEvenWhenMalformed) {
  install();
  for (const char* stored : {"xe", "", "xeq", "abcd", "x!"}) {
    store_keys(rt.settings_store(), {{"misc", stored}});
    load();
    save_settings(rt, s);
    EXPECT_EQ(stored_text(rt.settings_store(), "misc"), stored) << stored;
  }
}

TEST_F(SettingsTest, SavingWritesEveryKeyThatLoadingReads) {
  install();
  load();
  s.hiscore_name[7][10] = "Ann";
  s.hiscore_score[3][1] = "1234";
  s.game_difficulty = 5;
  s.graphics_files[12] = "/pics/bricks.gif";
  save_settings(rt, s);

  Settings reloaded;
  load_settings(rt, reloaded);
  EXPECT_EQ(reloaded.hiscore_name[7][10], "Ann");
  EXPECT_EQ(stored_text(rt.settings_store(), "Game7Name10"), "Ann");
  EXPECT_EQ(reloaded.hiscore_score[3][1], "1234");
  EXPECT_EQ(reloaded.game_difficulty, 5);
  EXPECT_EQ(reloaded.graphics_files[12], "/pics/bricks.gif");
  EXPECT_EQ(stored_text(rt.settings_store(), "Gfiles1"), "/opt/quarlyn/back1.bmp");
  EXPECT_EQ(stored_text(rt.settings_store(), "audio_files10"), "/opt/quarlyn/music10.mid");
}

TEST_F(SettingsTest, AWindowLeftOpenDoesNotOverwriteAHighScoreSavedMeanwhile) {
  install();
  Settings configuration_window;
  load_settings(rt, configuration_window);

  // A saver started separately records a high score in the same store.
  SettingsStore saver_store(rt.settings_store().file(), "Config");
  saver_store.reload();
  saver_store.save({{"Game1Score1", "5000"}, {"Game1Name1", "Bea"}});

  configuration_window.frame_rate = 30;
  save_settings(rt, configuration_window);
  EXPECT_EQ(stored_text(rt.settings_store(), "Game1Score1"), "5000");
  EXPECT_EQ(stored_text(rt.settings_store(), "Game1Name1"), "Bea");
  EXPECT_EQ(stored_text(rt.settings_store(), "frame_rate"), "30");
}

}  // namespace
}  // namespace quarlyn
