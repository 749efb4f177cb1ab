// Every value the program keeps between runs, and its load from and save to the settings store.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/runtime.h"
#include "platform/timer.h"

namespace quarlyn {

inline constexpr const char* kApplicationName = "Dovrane Quarlyn";
inline constexpr const char* kSettingsSection = "Config";
inline constexpr const char* kSupportContact = "support@dovrane.example";

inline constexpr int kGameTypes = 7;
inline constexpr int kFortyLineGame = 6;
inline constexpr int kPlaces = 10;
inline constexpr int kGraphicsFiles = 18;
inline constexpr int kMaxAudioFiles = 500;

// One text per game type (1..7) and place (1..10); index 0 of either dimension is unused.
using HighScoreTexts = std::array<std::array<std::string, kPlaces + 1>, kGameTypes + 1>;

struct Settings {
  std::string install_path;  // the program folder, ending in "/" once loaded
  int16_t frame_rate = 20;
  std::string show_time = "1";
  std::string soundfx_on = "1";
  std::string music_on = "1";
  int16_t skip_logo = 0;
  int16_t show_welcome = 1;
  int16_t game_starting_level = 1;
  int16_t piece_type = 1;
  int16_t game_difficulty = 1;
  int16_t screen_blit = 0;
  int16_t game_trigger = 0;

  std::string misc_scrambled;
  std::string misc_plain;
  // A stored "misc" text that is not a valid scrambled text is carried through as it was.
  bool misc_unreadable = false;

  HighScoreTexts hiscore_score;
  HighScoreTexts hiscore_name;
  HighScoreTexts hiscore_lines;

  std::array<std::string, kGraphicsFiles + 1> graphics_files;  // 1..18
  int32_t audio_files_total = -1;
  std::array<std::string, kMaxAudioFiles + 1> audio_files;  // 1..500

  // Start folders of the two browsing dialogs, remembered for the run only.
  std::string graphics_browse_path;
  std::string music_browse_path;
  // The per-user folder the program may write into, ending in "/".
  std::string windows_dir;
};

// Reads every value from the store, with its default where a key is missing. When no program
// folder was ever recorded it shows the installation error and ends the program.
void load_settings(Runtime& runtime, Settings& settings);
// Writes every value back, except the program folder, which only an installer writes. When the
// store cannot be written, one line on stderr says where and why, and the store keeps the
// changes to write them later (see SettingsStore).
void save_settings(Runtime& runtime, Settings& settings);
// Writes what earlier saves could not, waiting a few seconds at most for the store's lock; for
// the end of the program, when no frame is waiting. Says on stderr when it cannot.
void flush_settings(Runtime& runtime);

// While it lives, tries every second to write what earlier saves could not. It never waits for
// the store's lock, so no frame stalls for it, and it stays silent: the failed save has spoken.
class SettingsRetry {
 public:
  explicit SettingsRetry(Runtime& runtime);

 private:
  Timer timer_;
};

// The store key of one cell of the high-score table ("Game7Lines10"; field "Score", "Name" or
// "Lines"), and the text of the cell when the key is missing.
std::string hiscore_key(int game, const char* field, int place);
std::string hiscore_default(int game, const char* field);
// Reads the ten places of game type `game` from the store as it was last read or written.
void load_high_score_places(SettingsStore& store, Settings& settings, int game);

// The switches kept as text ("soundfx_on", "music_on") are compared as numbers; a text that
// is not a number counts as 1, so an unreadable switch leaves the sound on.
double setting_number(const std::string& text);
bool setting_on(const std::string& text);

void scramble_misc(Settings& settings);
void unscramble_misc(Settings& settings);

}  // namespace quarlyn
