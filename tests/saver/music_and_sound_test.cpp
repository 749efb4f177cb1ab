#include "saver/music_and_sound.h"

#include <gtest/gtest.h>

#include "platform/test/test_mm_control.h"
#include "saver/game_flow.h"
#include "saver/saver_test_support.h"
#include "saver/well_animations.h"

namespace quarlyn {
namespace {

class SoundTest : public ::testing::Test {
 protected:
  std::vector<RecordedCommand>& commands() { return h.runtime.mm_commands; }
  // The effects requested so far, by their play ranges on the effects control.
  std::vector<int32_t> played_from() {
    std::vector<int32_t> from;
    for (const auto& c : commands())
      if (c.control == 2 && c.command == "Play") from.push_back(c.from);
    return from;
  }
  void set_playlist(std::vector<std::string> entries) {
    h.settings.audio_files_total = static_cast<int32_t>(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) h.settings.audio_files[i + 1] = entries[i];
    h.saver.window.playlist_pos = 1;
  }
  TestMMControl& control(int number) { return *h.runtime.mm_controls[number - 1]; }

  testing::SaverHarness h;
};

TEST_F(SoundTest, TheEffectsFileOpensOnceEvenWithEffectsOff) {
  h.settings.soundfx_on = "0";
  stakko_initwav(h.saver);
  stakko_initwav(h.saver);
  ASSERT_EQ(commands().size(), 2u);
  EXPECT_EQ(commands()[0].command, "Close");
  EXPECT_EQ(commands()[1].command, "Open");
  EXPECT_EQ(commands()[1].device_type, "WaveAudio");
  EXPECT_EQ(commands()[1].file_name, h.settings.install_path + "audio.wav");
  stakko_playsound(h.saver, 1);
  EXPECT_EQ(commands().size(), 2u) << "no effect plays with effects off";
}

TEST_F(SoundTest, EachEffectStopsTheLastOneThenPlaysItsRange) {
  const std::vector<std::pair<int, int>> ranges = {{0, 180}, {350, 650}, {185, 340}, {680, 2600}, {2700, 9800}};
  for (int effect = 1; effect <= 5; ++effect) {
    commands().clear();
    stakko_playsound(h.saver, static_cast<int16_t>(effect));
    ASSERT_EQ(commands().size(), 2u);
    EXPECT_EQ(commands()[0].command, "Stop");
    EXPECT_EQ(commands()[1].command, "Play");
    EXPECT_EQ(commands()[1].from, ranges[effect - 1].first);
    EXPECT_EQ(commands()[1].to, ranges[effect - 1].second);
  }
}

TEST_F(SoundTest, EffectsAreDroppedWhileTheHoldRunsAndTheLandingSoundHoldsForTenFrames) {
  stakko_newgame(h.saver);  // a person who presses nothing: no sound of the game's own
  h.saver.game.sound_hold = 3;
  commands().clear();
  stakko_playsound(h.saver, 1);
  EXPECT_TRUE(played_from().empty());
  for (int frame = 0; frame < 3; ++frame) move_sprites(h.saver);
  EXPECT_EQ(h.saver.game.sound_hold, 0);
  stakko_playsound(h.saver, 1);
  EXPECT_EQ(played_from(), std::vector<int32_t>({0})) << "a dropped effect is not played later";
}

TEST_F(SoundTest, TheFillSoundsEveryFourthRow) {
  h.saver.game.fill_row = 23;
  h.saver.game.sound_hold = 5;
  h.saver.game.fill_sound_counter = 0;
  for (int row = 0; row < 24; ++row) stakko_clearing(h.saver);
  EXPECT_EQ(played_from(), std::vector<int32_t>(6, 185));
}

TEST_F(SoundTest, TheCelebrationPlaysItsSequenceAndIsSkippedWithEffectsOff) {
  const int32_t start = h.runtime.time_get_time();
  play_20_booms(h.saver);
  EXPECT_EQ(played_from(), std::vector<int32_t>({350, 350, 350, 350, 350, 185, 185, 185, 185, 185, 2700}));
  EXPECT_GE(h.runtime.time_get_time() - start, 9550);
  commands().clear();
  h.settings.soundfx_on = "0";
  play_20_booms(h.saver);
  EXPECT_TRUE(commands().empty());
}

TEST_F(SoundTest, ThePlaylistPositionMovesOnEveryTickAlsoWhileATunePlays) {
  set_playlist({"/m/a.mid", "/m/b.mid", "/m/c.mid"});
  Timer1_Timer(h.saver);
  EXPECT_EQ(commands().back().command, "Play");
  EXPECT_EQ(commands().back().file_name, "/m/a.mid");
  EXPECT_EQ(commands().back().device_type, "Sequencer");
  const size_t after_first = commands().size();
  Timer1_Timer(h.saver);
  Timer1_Timer(h.saver);
  EXPECT_EQ(commands().size(), after_first) << "nothing starts while a tune plays";
  EXPECT_EQ(h.saver.window.playlist_pos, 1);
  control(1).finish();
  MMControl1_StatusUpdate(h.saver);
  Timer1_Timer(h.saver);
  EXPECT_EQ(commands().back().file_name, "/m/a.mid") << "the entry the position has reached, not the next one";
}

TEST_F(SoundTest, AOneTunePlaylistReplaysAfterTheStoppedStatus) {
  set_playlist({"/m/only.mid"});
  int plays = 0;
  for (int tick = 0; tick < 6; ++tick) {
    Timer1_Timer(h.saver);
    if (tick == 2) {
      control(1).finish();
      MMControl1_StatusUpdate(h.saver);
    }
  }
  for (const auto& c : commands()) plays += c.command == "Play" && c.control == 1;
  EXPECT_EQ(plays, 2);
}

TEST_F(SoundTest, WavInAnyLetterCasePlaysAsAWaveTuneOnItsOwnDevice) {
  set_playlist({"/m/song.WaV", "/m/tune.rmi"});
  Timer1_Timer(h.saver);
  EXPECT_EQ(commands().back().control, 3);
  EXPECT_EQ(commands().back().device_type, "WaveAudio");
  control(3).finish();
  MMControl3_StatusUpdate(h.saver);
  Timer1_Timer(h.saver);
  EXPECT_EQ(commands().back().control, 1);
  EXPECT_EQ(commands().back().device_type, "Sequencer");
  EXPECT_EQ(commands().back().file_name, "/m/tune.rmi");
}

TEST_F(SoundTest, MusicOffOrAnEmptyPlaylistLeavesThePositionAlone) {
  set_playlist({"/m/a.mid", "/m/b.mid"});
  h.settings.music_on = "0";
  Timer1_Timer(h.saver);
  EXPECT_TRUE(commands().empty());
  EXPECT_EQ(h.saver.window.playlist_pos, 1);
  h.settings.music_on = "1";
  h.settings.audio_files_total = 0;
  Timer1_Timer(h.saver);
  EXPECT_TRUE(commands().empty());
}

TEST_F(SoundTest, AudioOffClosesOnlyWhatItsSettingsSay) {
  h.settings.music_on = "1";
  h.settings.soundfx_on = "0";
  audio_off(h.saver);
  for (const auto& c : commands()) EXPECT_NE(c.control, 2);
  EXPECT_FALSE(commands().empty());
  commands().clear();
  h.settings.music_on = "0";
  h.settings.soundfx_on = "1";
  audio_off(h.saver);
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0].control, 2);
}

}  // namespace
}  // namespace quarlyn
