#include "saver/play_screen.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/picture_files.h"
#include "platform/waiting.h"
#include "saver/game_flow.h"
#include "saver/saver_context.h"

namespace quarlyn {

namespace {

constexpr Rect kBlankCounterField{9, 45, 120, 25};
constexpr Rect kScorePanel{40, 60, 140, 200};
constexpr Rect kWellPicture{215, 0, 210, 480};
constexpr Rect kNextBox{460, 60, 120, 140};
constexpr int kDigitWidth = 20;
constexpr int kDigitHeight = 25;

enum Counter { kScoreCounter, kLevelCounter, kLinesCounter };

std::array<Surface*, 5> panel_surfaces(PlayScreen& screen) {
  return {&screen.background_main, &screen.background_copy, &screen.background_work, &screen.ascreen, &screen.numbers};
}

bool panel_untouched_since(PlayScreen& screen, const PlayScreen::CounterShown& shown) {
  const auto surfaces = panel_surfaces(screen);
  for (size_t i = 0; i < surfaces.size(); ++i) {
    if (surfaces[i]->watched_writes() != shown.panel_writes[i]) return false;
  }
  return true;
}

void remember_panel_writes(PlayScreen& screen, PlayScreen::CounterShown& shown) {
  const auto surfaces = panel_surfaces(screen);
  for (size_t i = 0; i < surfaces.size(); ++i) {
    surfaces[i]->watch(i + 1 < surfaces.size() ? kScorePanel : Rect{0, 0, screen.numbers.width(), kDigitHeight});
    shown.panel_writes[i] = surfaces[i]->watched_writes();
  }
}

// Draws `value` centred into the counter field at (x, y) of the master picture, then copies the
// field to the other three surfaces. The robot scores a point for nearly every frame, so when
// nothing else (another counter included) has written to the panel of any of the four, or to the
// glyphs, since this counter was drawn and the number keeps its length, the digits it keeps are
// already in place everywhere and only the changed ones are drawn and copied: the same pixels
// for less work.
void draw_counter(PlayScreen& screen, Counter counter, int x, int y, int32_t value) {
  const Rect& blank = kBlankCounterField;
  const std::string digits = std::to_string(value);
  PlayScreen::CounterShown& counter_shown = screen.counters_shown[counter];
  std::string& shown = counter_shown.text;
  const bool in_place = shown.size() == digits.size() && panel_untouched_since(screen, counter_shown);
  if (!in_place)
    bitblt(screen.background_main, x, y, blank.width, blank.height, screen.score_box, blank.left, blank.top, SRCCOPY);
  const int start = x + 50 - (static_cast<int>(digits.size()) - 1) * 10;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (in_place && shown[i] == digits[i]) continue;
    const int d = digits[i] - '0';
    const int left = start + kDigitWidth * static_cast<int>(i);
    bitblt(screen.background_main, left, y, kDigitWidth, kDigitHeight, screen.numbers, kDigitWidth * d, 0, SRCCOPY);
    const int copied_left = std::max(left, x);
    const int copied_right = std::min(left + kDigitWidth, x + blank.width);
    if (!in_place || copied_right <= copied_left) continue;
    for (Surface* target : {&screen.background_copy, &screen.background_work, &screen.ascreen})
      bitblt(*target, copied_left, y, copied_right - copied_left, blank.height, screen.background_main, copied_left, y,
             SRCCOPY);
  }
  if (!in_place) {
    for (Surface* target : {&screen.background_copy, &screen.background_work, &screen.ascreen})
      bitblt(*target, x, y, blank.width, blank.height, screen.background_main, x, y, SRCCOPY);
  }
  shown = digits;
  remember_panel_writes(screen, counter_shown);
}

bool load_into(Surface& surface, const std::string& path) {
  std::optional<Surface> picture = load_picture(path);
  if (!picture) return false;
  surface.assign(*picture);
  return true;
}

void copy_area(Surface& to, const Surface& from, const Rect& area) {
  bitblt(to, area.left, area.top, area.width, area.height, from, area.left, area.top, SRCCOPY);
}

int32_t following_picture(int32_t index) { return index >= 10 ? 1 : index + 1; }

// While a game runs, the next change is its next level's; a person who takes the robot's game
// over starts at the configured level.
void prefetch_next_backgrounds(Saver& saver) {
  const auto& files = saver.settings.graphics_files;
  std::vector<std::string> wanted{files[following_picture(saver.game.picture_index)]};
  if (saver.flags.robot_playing == 1 && saver.flags.started_from_config == 0)
    wanted.push_back(files[configured_starting_level(saver.settings)]);
  saver.backgrounds.want(wanted);
}

}  // namespace

void stakko_initgraphics(Saver& saver) {
  PlayScreen& screen = saver.screen;
  Surface* const targets[] = {&screen.bonus,   &screen.sprite,    &screen.game_over,  &screen.next_box,
                              &screen.numbers, &screen.score_box, &screen.stakko_grid};
  int entry = 11;
  for (Surface* target : targets) {
    if (!load_into(*target, saver.settings.graphics_files[entry++])) return;
    saver.runtime.yield();
  }
}

// Decoded at the size it is drawn at: people's photos are many times the screen.
std::optional<Surface> load_background(const std::string& path) {
  return load_picture(path, [](int, int) { return Rect{0, 0, kPlayWidth, kPlayHeight}; });
}

void prefetch_next_game_backgrounds(Saver& saver) {
  const auto& files = saver.settings.graphics_files;
  std::vector<std::string> wanted;
  if (saver.game.robot_next_level != 0) wanted.push_back(files[saver.game.robot_next_level]);
  wanted.push_back(files[configured_starting_level(saver.settings)]);
  saver.backgrounds.want(wanted);
}

void stakko_changepicture(Saver& saver) {
  int32_t& index = saver.game.picture_index;
  index = following_picture(index);
  if (std::optional<Surface> picture = saver.backgrounds.take(saver.settings.graphics_files[index]))
    saver.screen.picture_background.assign(*picture);
  prefetch_next_backgrounds(saver);
}

void init_game_screen(Saver& saver) {
  PlayScreen& screen = saver.screen;
  yield_times(saver.runtime, 2);
  screen.ascreen.assign(screen.playfield);
  paint_picture(screen.ascreen, screen.picture_background, 0, 0, kPlayWidth, kPlayHeight);
  bitblt(screen.ascreen, kWellPicture.left, kWellPicture.top, kWellPicture.width, kWellPicture.height,
         screen.stakko_grid, 0, 0, SRCCOPY);
  bitblt(screen.ascreen, kNextBox.left, kNextBox.top, kNextBox.width, kNextBox.height, screen.next_box, 0, 0, SRCCOPY);
  bitblt(screen.ascreen, kScorePanel.left, kScorePanel.top, kScorePanel.width, kScorePanel.height, screen.score_box,
         0, 0, SRCCOPY);
  stakko_difficulty(saver);
  yield_times(saver.runtime, 1);
  // The full copies carry the obstacle blocks too: they were stamped into the play screen.
  for (Surface* copy : {&screen.background_main, &screen.background_work, &screen.background_copy})
    copy->assign(screen.ascreen);
  yield_times(saver.runtime, 1);
  saver.window.full_redraw_pending = 1;
}

void stakko_newbackground(Saver& saver) {
  PlayScreen& screen = saver.screen;
  stakko_changepicture(saver);
  paint_picture(screen.background_work, screen.picture_background, 0, 0, kPlayWidth, kPlayHeight);
  for (const Rect& kept : {kScorePanel, kWellPicture, kNextBox}) copy_area(screen.background_work, screen.background_copy, kept);
  for (Surface* copy : {&screen.background_copy, &screen.background_main, &screen.ascreen})
    bitblt(*copy, 0, 0, kPlayWidth, kPlayHeight, screen.background_work, 0, 0, SRCCOPY);
  yield_times(saver.runtime, 2);
}

void copy_background_onto_screen(PlayScreen& screen, const Rect& area) {
  std::vector<Rect>& areas = screen.areas_to_copy;
  areas = screen.ascreen.writes();
  areas.insert(areas.end(), screen.background_copy.writes().begin(), screen.background_copy.writes().end());
  for (const Rect& written : areas) {
    const int left = std::max(written.left, area.left);
    const int top = std::max(written.top, area.top);
    const int right = std::min(written.left + written.width, area.left + area.width);
    const int bottom = std::min(written.top + written.height, area.top + area.height);
    if (right > left && bottom > top)
      bitblt(screen.ascreen, left, top, right - left, bottom - top, screen.background_copy, left, top, SRCCOPY);
  }
}

void stakko_redrawascreen(Saver& saver) {
  PlayScreen& screen = saver.screen;
  yield_times(saver.runtime, 2);
  copy_background_onto_screen(screen, {0, 0, kPlayWidth, kPlayHeight});
  screen.ascreen.forget_writes();
  screen.background_copy.forget_writes();
  yield_times(saver.runtime, 3);
}

void stakko_showscore(Saver& saver, int32_t points) {
  saver.game.game_score += points;
  draw_counter(saver.screen, kScoreCounter, 50, 101, saver.game.game_score);
}

void stakko_showlevel(Saver& saver) { draw_counter(saver.screen, kLevelCounter, 50, 163, saver.game.game_level); }

void stakko_showlines(Saver& saver) {
  int32_t shown = saver.game.game_lines;
  if (saver.settings.game_difficulty == 6) shown = std::max(40 - saver.game.game_lines, 0);
  draw_counter(saver.screen, kLinesCounter, 50, 225, shown);
}

}  // namespace quarlyn
