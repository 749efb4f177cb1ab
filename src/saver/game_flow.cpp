#include "saver/game_flow.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "saver/high_scores.h"
#include "saver/music_and_sound.h"
#include "saver/piece_step.h"
#include "saver/piece_supply.h"
#include "saver/playfield.h"
#include "saver/sprite_compositor.h"
#include "saver/well_animations.h"
#include "startup/shell_services.h"

namespace quarlyn {

namespace {

constexpr int kFewObstaclesGame = 3;
constexpr int kManyObstaclesGame = 4;
constexpr int kBlitzGame = 5;
constexpr int kBlitzSpeedEntry = 19;
constexpr int kLinesToWin = 40;
constexpr Rect kGameOverPicture{240, 60, 160, 200};
constexpr const char* kNoShapesMessage =
    "Error initializing game pieces! Please remove this program and then install it again.";

int32_t random_int(Runtime& runtime, int32_t range) { return static_cast<int32_t>(std::floor(range * runtime.rnd() + 1)); }

int16_t speed_for_level(const Saver& saver, int32_t level) {
  if (saver.settings.game_difficulty == kBlitzGame) return saver.game.drop_delays[kBlitzSpeedEntry];
  return saver.game.drop_delays[std::min(level, kLevels)];
}

int32_t draw_robot_level(Runtime& runtime) {
  runtime.randomize();
  return random_int(runtime, 10);
}

void set_starting_level(Saver& saver) {
  Game& game = saver.game;
  game.game_level = configured_starting_level(saver.settings);
  if (saver.flags.robot_playing == 1)
    game.game_level = game.robot_next_level != 0 ? game.robot_next_level : draw_robot_level(saver.runtime);
  game.robot_next_level = 0;
}

void reset_input(Game& game) {
  game.key_code = 0;
  game.flash_count = 0;
  game.flash_interval = 2;
  game.key_repeating = 0;
  game.last_key = 0;
  game.key_delay_count = 0;
  game.key_repeat_count = 0;
  game.key_delay = 5;
  game.key_repeat_rate = 1;
}

// Rows cleared at once score by the table of the level they were cleared at. More than four
// (only possible with obstacle rows full from the start) score like four.
int32_t clearing_points(int32_t level, int16_t rows) {
  constexpr std::array<int32_t, 4> kPoints = {50, 100, 300, 1200};
  return level * kPoints[std::clamp<int>(rows, 1, 4) - 1];
}

void level_up(Saver& saver) {
  Game& game = saver.game;
  game.game_level += 1;
  game.drop_delay = speed_for_level(saver, game.game_level);
  game.level_steps += 1;
  stakko_showlevel(saver);
  saver.runtime.yield();
  stakko_newbackground(saver);
  saver.runtime.yield();
}

void finish_clearing(Saver& saver) {
  Game& game = saver.game;
  stakko_scrolldown(game, saver.screen);
  const int32_t points = clearing_points(game.game_level, game.full_row_count);
  game.sound_hold = 0;
  const bool four_or_more = game.full_row_count >= 4;
  stakko_playsound(saver, four_or_more ? 4 : 3);
  game.sound_hold = four_or_more ? 60 : 10;
  stakko_showscore(saver, points);
  game.game_lines += game.full_row_count;
  stakko_showlines(saver);
  if (game.game_lines >= kLinesToWin && game.timed_mode == 1) {
    game.time_end = saver.runtime.time_get_time();
    handle_ending_time(saver);
    stakko_dogameover(saver);
    return;
  }
  if (game.game_lines > 10 * game.level_steps) level_up(saver);
  game.game_state = kPauseBeforePiece;
  game.state_countdown = 20;
}

bool any_kind_has_shape(const Game& game) {
  for (int kind = 1; kind <= kMaxKinds; ++kind)
    if (kind_has_shape(game, kind)) return true;
  return false;
}

// A damaged program folder (no objects.txt, or one without a usable shape) would give a game
// of empty pieces that land as soon as they appear; the saver ends instead.
void refuse_game_without_shapes(Saver& saver) {
  Runtime& runtime = saver.runtime;
  saver.game.game_state = kNoGame;
  show_cursor(runtime);
  runtime.message_box(kNoShapesMessage, "Error!");
  hide_cursor(runtime);
  saver.flags.quit_requested = 1;
}

void step_rows_flashing(Saver& saver) {
  stakko_flasher(saver);
  saver.game.flash_frames = static_cast<int16_t>(saver.game.flash_frames - 1);
  if (saver.game.flash_frames == 0) finish_clearing(saver);
}

void step_pause_before_piece(Saver& saver) {
  Game& game = saver.game;
  game.state_countdown = static_cast<int16_t>(game.state_countdown - 1);
  if (game.state_countdown != 0) return;
  spawn_piece(game);
  make_next_piece(saver);
  stakko_redrawascreen(saver);
  stakko_clearkey(game);
  game.game_state = kPieceFalling;
  if (game.game_level == 20 && game.level20_done == 0) {
    game.level20_done = 1;
    play_20_booms(saver);
  }
}

void step_game_over_fill(Saver& saver) {
  stakko_clearing(saver);
  if (saver.game.filling != 0) return;
  PlayScreen& screen = saver.screen;
  const Rect& at = kGameOverPicture;
  for (Surface* target : {&screen.ascreen, &screen.background_copy, &screen.background_main})
    bitblt(*target, at.left, at.top, at.width, at.height, screen.game_over, 0, 0, SRCCOPY);
  stakko_redrawascreen(saver);
  saver.game.state_countdown = 100;
  saver.game.game_state = kPauseAfterGame;
}

void step_pause_after_game(Saver& saver) {
  Game& game = saver.game;
  game.state_countdown = static_cast<int16_t>(game.state_countdown - 1);
  if (game.state_countdown != 0) return;
  stakko_checkhighscore(saver);
  saver.flags.robot_playing = 1;
  if (saver.flags.started_from_config != 1) {
    if (init_the_game(saver)) game.game_state = kPieceFalling;
  } else {
    saver.flags.quit_requested = 1;
  }
}

void step_piece_falling(Saver& saver) {
  handle_time(saver);
  stakko_movepiece(saver);
  if (saver.game.game_state == kPieceFalling) stakko_drawpiece(saver.game);
}

void place_obstacle(Saver& saver, int32_t rows, int32_t first_row) {
  Runtime& runtime = saver.runtime;
  Game& game = saver.game;
  runtime.randomize();
  const int32_t value = random_int(runtime, 3) + 100;
  const int32_t column = random_int(runtime, 10) + 10;
  const int32_t row = random_int(runtime, rows) + first_row;
  game.field_cells[row * kFieldColumns + column] = static_cast<int16_t>(value);
  PlayScreen& screen = saver.screen;
  for (Surface* target : {&screen.background_main, &screen.background_copy, &screen.background_work, &screen.ascreen})
    copy_block(*target, kCell * column, kCell * row, game, screen.sprite, value);
}

}  // namespace

bool init_the_game(Saver& saver) {
  Game& game = saver.game;
  game.level20_done = 0;
  game.piece_sequence_pos = 0;
  stakko_initwav(saver);
  init_speed_table(game);
  clear_field(game);
  set_starting_level(saver);
  game.picture_index = game.game_level - 1;
  stakko_changepicture(saver);
  init_sprites(saver);
  init_game_screen(saver);
  load_piece_shapes(game, saver.settings);
  if (!any_kind_has_shape(game)) {
    refuse_game_without_shapes(saver);
    return false;
  }
  reset_input(game);
  game.level_steps = 1;
  game.drop_delay = speed_for_level(saver, game.game_level);
  game.timed_mode = saver.settings.game_difficulty == 6 ? 1 : 0;
  game.drop_counter = 0;
  make_next_piece(saver);
  spawn_piece(game);
  make_next_piece(saver);
  game.game_score = 0;
  game.game_lines = 0;
  game.filling = 0;
  game.game_state = kPieceFalling;
  stakko_showscore(saver, 0);
  stakko_showlevel(saver);
  stakko_showlines(saver);
  stakko_redrawascreen(saver);
  game.time_start = saver.runtime.time_get_time();
  return true;
}

void move_sprites(Saver& saver) {
  Game& game = saver.game;
  saver.runtime.randomize();
  if (game.sound_hold != 0) game.sound_hold = static_cast<int16_t>(game.sound_hold - 1);
  switch (game.game_state) {
    case kPieceFalling: step_piece_falling(saver); break;
    case kRowsFlashing: step_rows_flashing(saver); break;
    case kPauseBeforePiece: step_pause_before_piece(saver); break;
    case kGameOverFill: step_game_over_fill(saver); break;
    case kPauseAfterGame: step_pause_after_game(saver); break;
    default: break;
  }
}

void choose_robot_starting_level(Saver& saver) { saver.game.robot_next_level = draw_robot_level(saver.runtime); }

void stakko_newgame(Saver& saver) {
  saver.flags.robot_playing = 0;
  if (init_the_game(saver)) saver.game.game_state = kPieceFalling;
}

int32_t configured_starting_level(const Settings& settings) {
  const int16_t configured = settings.game_starting_level;
  return configured < 1 || configured > 10 ? 1 : configured;
}

// The robot's next game follows unless this one was started from the configuration window.
void stakko_dogameover(Saver& saver) {
  Game& game = saver.game;
  for (int slot = 1; slot <= 16; ++slot) game.sprite_active[slot] = 0;
  game.fill_row = 23;
  game.filling = 1;
  game.game_state = kGameOverFill;
  if (saver.flags.started_from_config == 0) {
    choose_robot_starting_level(saver);
    prefetch_next_game_backgrounds(saver);
  }
}

void stakko_difficulty(Saver& saver) {
  if (saver.flags.robot_playing == 1) return;
  const int16_t type = saver.settings.game_difficulty;
  if (type == kFewObstaclesGame) {
    for (int i = 0; i < 30; ++i) place_obstacle(saver, 7, 16);
  } else if (type == kManyObstaclesGame) {
    for (int i = 0; i < 100; ++i) place_obstacle(saver, 16, 7);
  }
}

void play_20_booms(Saver& saver) {
  if (!setting_on(saver.settings.soundfx_on)) return;
  auto boom = [&](int16_t effect, int32_t wait_ms) {
    saver.game.sound_hold = 0;
    stakko_playsound(saver, effect);
    pause_ms(saver.runtime, wait_ms);
  };
  for (int i = 0; i < 5; ++i) boom(2, 400);
  for (int i = 0; i < 5; ++i) boom(3, 130);
  boom(5, 6900);
}

}  // namespace quarlyn
