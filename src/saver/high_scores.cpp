#include "saver/high_scores.h"

#include <cctype>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/clock.h"
#include "platform/settings_store.h"
#include "platform/waiting.h"
#include "saver/hiscore_dialog.h"
#include "saver/music_and_sound.h"
#include "startup/shell_services.h"

namespace quarlyn {

namespace {

constexpr int kFortyLines = 40;
constexpr int32_t kMillisecondsPerSecond = 1000;

// Whole seconds between two millisecond-clock readings.
int32_t seconds_between(int32_t start, int32_t end) { return clock_diff(end, start) / kMillisecondsPerSecond; }

void show_clock(Saver& saver, int32_t end) {
  if (saver.game.timed_mode != 1) return;
  saver.game.time_elapsed = seconds_between(saver.game.time_start, end);
  if (saver.screen_window) saver.screen_window->set_time_box(time_text(saver.game.time_elapsed), true);
}

// The best place a result earns among the ten whose stored texts `score_of` gives, or 0.
int best_place(const std::function<std::string(int)>& score_of, double result, bool lower_is_better) {
  int place = 0;
  for (int i = kPlaces; i >= 1; --i) {
    const double stored = stored_number(score_of(i));
    if (lower_is_better ? stored > result : result > stored) place = i;
  }
  return place;
}

struct HighScoreEntry {
  int game;
  double result;
  bool lower_is_better;
  std::string score;
  std::string lines;
  std::string name;
};

// Ranks the entry against the table as `keys` hold it, moves the places below it down and puts
// it in its place.
void enter_result(SettingsStore::Keys& keys, const HighScoreEntry& entry) {
  const int g = entry.game;
  const auto cell = [&](const char* field, int place) {
    return keys.read(hiscore_key(g, field, place), hiscore_default(g, field));
  };
  const int place = best_place([&](int i) { return cell("Score", i); }, entry.result, entry.lower_is_better);
  if (place == 0) return;
  for (int i = kPlaces; i >= place + 1; --i) {
    for (const char* field : {"Name", "Score", "Lines"}) keys.write(hiscore_key(g, field, i), cell(field, i - 1));
  }
  keys.write(hiscore_key(g, "Score", place), entry.score);
  keys.write(hiscore_key(g, "Lines", place), entry.lines);
  keys.write(hiscore_key(g, "Name", place), entry.name);
}

void ask_for_name(Saver& saver) {
  Runtime& runtime = saver.runtime;
  yield_times(runtime, 10);
  stakko_playsound(saver, 5);
  yield_times(runtime, 2);
  show_cursor(runtime);
  frm_hiscore dialog(saver);
  runtime.show_modal(dialog);
  hide_cursor(runtime);
}

}  // namespace

std::string time_text(int32_t seconds) {
  if (seconds < 10) return "0:0" + std::to_string(seconds);
  if (seconds < 60) return "0:" + std::to_string(seconds);
  const int32_t minutes = seconds / 60;
  const int32_t rest = seconds - 60 * minutes;
  return std::to_string(minutes) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

// Blanks, then a sign, digits and a decimal point with more digits: no exponent, no
// hexadecimal, no infinity or NaN.
double stored_number(const std::string& text) {
  const auto digit = [&](size_t at) { return at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) != 0; };
  const size_t start = text.find_first_not_of(" \t");
  if (start == std::string::npos) return 0;
  size_t end = start + ((text[start] == '+' || text[start] == '-') ? 1 : 0);
  bool has_digits = false;
  for (; digit(end); ++end) has_digits = true;
  if (end < text.size() && text[end] == '.') {
    for (++end; digit(end); ++end) has_digits = true;
  }
  if (!has_digits) return 0;
  return std::strtod(text.substr(start, end - start).c_str(), nullptr);
}

void handle_time(Saver& saver) { show_clock(saver, saver.runtime.time_get_time()); }

void handle_ending_time(Saver& saver) { show_clock(saver, saver.game.time_end); }

void stakko_checkhighscore(Saver& saver) {
  if (saver.flags.robot_playing == 1) return;
  Settings& settings = saver.settings;
  const Game& game = saver.game;
  const int g = settings.game_difficulty;
  const bool timed = g == kFortyLineGame;
  if (timed && game.game_lines < kFortyLines) return;
  const double result = timed ? seconds_between(game.time_start, game.time_end) : game.game_score;
  // Another running instance may have entered results since this one loaded the table.
  SettingsStore& store = saver.runtime.settings_store();
  store.reload();
  load_high_score_places(store, settings, g);
  if (best_place([&](int i) { return settings.hiscore_score[g][i]; }, result, timed) == 0) return;
  ask_for_name(saver);
  std::string& name = saver.window.player_name;
  if (name.empty()) name = "Guest";
  // Ranked once more under the store's lock, against the table as the file holds it then, so
  // that an entry another instance made meanwhile keeps its place beside this one.
  const HighScoreEntry entry{g, result, timed, std::to_string(static_cast<int64_t>(result)),
                             timed ? "40" : std::to_string(game.game_lines), name};
  store.queue([entry](SettingsStore::Keys& keys) { enter_result(keys, entry); });
  save_settings(saver.runtime, settings);
  load_high_score_places(store, settings, g);
  saver.runtime.yield();
}

}  // namespace quarlyn
