// The state of one saver game: the field, the falling and next piece, the piece supply, the
// keyboard poll, the game flow, the well animations and the sprite slots. Owned by the saver
// window; every procedure of the game takes it by reference, so two games never share state.
// Counters keep the widths the game was designed with (16-bit integers, 32-bit scores).
#pragma once

#include <array>
#include <cstdint>

namespace quarlyn {

// Play-screen geometry in pixels and field cells.
inline constexpr int kCell = 20;
inline constexpr int kFieldColumns = 32;
inline constexpr int kFieldRows = 24;
inline constexpr int kWellLeftColumn = 11;
inline constexpr int kWellRightColumn = 20;
inline constexpr int kWellX = 220;
inline constexpr int kWellWidth = 200;
inline constexpr int kPlayWidth = 640;
inline constexpr int kPlayHeight = 480;
inline constexpr int kSpawnX = 280;
inline constexpr int kSpawnY = -20;

inline constexpr int kMaxKinds = 20;
inline constexpr int kShapeCells = 65;  // 4 rotations x 16 box cells, and one unused
inline constexpr int kSequenceLength = 1000;
inline constexpr int kLevels = 20;
inline constexpr int kSpriteImages = 201;
inline constexpr int kSpriteSlots = 32;

// Game states; any other value makes no step.
inline constexpr int16_t kNoGame = 0;
inline constexpr int16_t kPieceFalling = 1;
inline constexpr int16_t kRowsFlashing = 2;
inline constexpr int16_t kPauseBeforePiece = 3;
inline constexpr int16_t kGameOverFill = 4;
inline constexpr int16_t kPauseAfterGame = 5;

// Game keys, as Windows virtual-key codes.
inline constexpr int32_t kKeyEsc = 27;
inline constexpr int32_t kKeySpace = 32;
inline constexpr int32_t kKeyLeft = 37;
inline constexpr int32_t kKeyUp = 38;
inline constexpr int32_t kKeyRight = 39;
inline constexpr int32_t kKeyDown = 40;
inline constexpr int32_t kKeyA = 65;
inline constexpr int32_t kKeyD = 68;
inline constexpr int32_t kKeyS = 83;
inline constexpr int32_t kKeyW = 87;

struct Game {
  // Field and falling piece.
  std::array<int16_t, kFieldColumns * kFieldRows + 1> field_cells{};
  std::array<std::array<int16_t, kShapeCells>, kMaxKinds + 1> piece_shapes{};
  int16_t piece_x = kSpawnX;
  int16_t piece_y = kSpawnY;
  int16_t piece_kind = 0;
  int16_t piece_rotation = 0;
  int16_t piece_image = 0;
  int16_t piece_bottom_y = 0;
  int16_t next_kind = 0;
  int16_t next_image = 0;
  int16_t robot_in_position = 0;

  // Rows found full at the last landing.
  std::array<int16_t, kFieldRows + 1> full_rows{};
  int16_t full_row_count = 0;
  int16_t bonus_clear = 0;

  // Piece supply.
  int16_t piece_kind_count = 0;
  std::array<int16_t, kSequenceLength + 1> piece_sequence{};
  int32_t piece_sequence_pos = 0;
  std::array<int16_t, kLevels + 1> drop_delays{};

  // Keyboard poll and gravity.
  int32_t key_code = 0;
  int16_t last_key = 0;
  int16_t key_repeating = 0;
  int16_t key_delay = 5;
  int16_t key_delay_count = 0;
  int16_t key_repeat_rate = 1;
  int16_t key_repeat_count = 0;
  int16_t drop_delay = 0;
  int16_t drop_counter = 0;

  // Game flow.
  int16_t game_state = 0;
  int32_t game_level = 1;
  // The robot's next starting level, drawn at the end of the game before it so that its
  // background can be decoded ahead; 0 when none is drawn.
  int32_t robot_next_level = 0;
  int32_t level_steps = 1;
  int32_t game_score = 0;
  int32_t game_lines = 0;
  int16_t state_countdown = 0;
  int16_t flash_frames = 0;
  int16_t sound_hold = 0;
  int16_t filling = 0;
  int16_t fill_row = 0;
  int16_t level20_done = 0;
  int16_t timed_mode = 0;
  // Millisecond-clock readings (compared through clock.h): the 40-line clock measures real
  // time, which a wall clock set back or midnight would not.
  int32_t time_start = 0;
  int32_t time_end = 0;
  int32_t time_elapsed = 0;  // the whole seconds the clock showed last
  int32_t picture_index = 0;

  // Well animations.
  int16_t flash_count = 0;
  int16_t flash_interval = 2;
  int16_t flash_phase = 0;
  int16_t fill_sound_counter = 0;

  // Sprite image table (columns 1..5: sheet x, sheet y, width, height, depth key) and the
  // sprite slots (1..32).
  std::array<std::array<int32_t, 6>, kSpriteImages> sprite_table{};
  int32_t sprite_count = 16;
  std::array<int32_t, kSpriteSlots + 1> sprite_x{};
  std::array<int32_t, kSpriteSlots + 1> sprite_y{};
  std::array<int32_t, kSpriteSlots + 1> sprite_old_x{};
  std::array<int32_t, kSpriteSlots + 1> sprite_old_y{};
  std::array<bool, kSpriteSlots + 1> sprite_erase_pending{};
  std::array<int16_t, kSpriteSlots + 1> sprite_type{};
  std::array<int16_t, kSpriteSlots + 1> sprite_order{};
  std::array<int32_t, kSpriteSlots + 1> sprite_image{};
  std::array<int32_t, kSpriteSlots + 1> sprite_active{};
  std::array<int32_t, kSpriteSlots + 1> sprite_masked{};
  std::array<int16_t, 13> sprite_type_count{};

  // How a slot would move and animate (slots 0..32). Only the sprite extras fill these, and
  // apart from `anim_table` nothing reads them: no slot is ever moved by them.
  std::array<int32_t, kSpriteSlots + 1> sprite_motion{};  // 1 drift, 2 wobbling fall, 8 inertia
  std::array<double, kSpriteSlots + 1> sprite_dx{};
  std::array<double, kSpriteSlots + 1> sprite_dy{};
  std::array<double, kSpriteSlots + 1> sprite_dx2{};
  std::array<double, kSpriteSlots + 1> sprite_dy2{};
  std::array<std::array<double, 5>, kSpriteSlots + 1> sprite_wobble{};        // 1..3 used
  std::array<std::array<double, 11>, kSpriteSlots + 1> sprite_inertia{};      // 1..10 used
  std::array<std::array<double, 5>, kSpriteSlots + 1> sprite_restore_rect{};  // 1..4 used
  std::array<int32_t, kSpriteSlots + 1> sprite_anim{};
  std::array<int32_t, kSpriteSlots + 1> sprite_anim_step{};
  // Animations 0 and 1 by steps 0..100; entry (a, 1) is the first image of animation a.
  std::array<std::array<int32_t, 101>, 2> anim_table{};
  // Sideways steps 1..20 for falling objects, scaled to the screen width.
  std::array<double, 21> motion_step_x{};
};

}  // namespace quarlyn
