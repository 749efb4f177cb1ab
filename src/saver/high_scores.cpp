#include "saver/high_scores.h"

#include <cmath>
#include <cstdlib>

#include "platform/clock.h"
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

// The best place the result earns in game type `g`, or 0.
int best_place(const Saver& saver, int g, double result, bool lower_is_better) {
  int place = 0;
  for (int i = kPlaces; i >= 1; --i) {
    const double stored = stored_number(saver.settings.hiscore_score[g][i]);
    if (lower_is_better ? stored > result : result > stored) place = i;
  }
  return place;
}

void move_places_down(Settings& settings, int g, int place) {
  for (int i = kPlaces; i >= place + 1; --i) {
    settings.hiscore_name[g][i] = settings.hiscore_name[g][i - 1];
    settings.hiscore_score[g][i] = settings.hiscore_score[g][i - 1];
    settings.hiscore_lines[g][i] = settings.hiscore_lines[g][i - 1];
  }
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

double stored_number(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  const double value = std::strtod(begin, &end);
  // Only plain decimal numbers count, not hexadecimal ones, infinities or NaN.
  if (end == begin || !std::isfinite(value) || text.find_first_of("xX") < static_cast<size_t>(end - begin)) return 0;
  return value;
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
  const int place = best_place(saver, g, result, timed);
  if (place == 0) return;
  move_places_down(settings, g, place);
  settings.hiscore_score[g][place] = std::to_string(static_cast<int64_t>(result));
  settings.hiscore_lines[g][place] = timed ? "40" : std::to_string(game.game_lines);
  ask_for_name(saver);
  std::string& name = saver.window.player_name;
  if (name.empty()) name = "Guest";
  settings.hiscore_name[g][place] = name;
  save_settings(saver.runtime, settings);
  saver.runtime.yield();
}

}  // namespace quarlyn
