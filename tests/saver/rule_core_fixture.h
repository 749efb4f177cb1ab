// A saver on the test runtime for the field, piece and robot rules: 640x480 play-screen surfaces,
// a block sheet whose image n is the solid colour `image_colour(n)`, the sprite table filled
// with the sheet's layout, and shapes drawn as pictures.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "platform/test/test_mm_control.h"
#include "platform/test/test_runtime.h"
#include "saver/game.h"
#include "saver/piece_supply.h"
#include "saver/saver_context.h"

namespace quarlyn::testing::rules {

constexpr Pixel image_colour(int image) { return rgb(17, static_cast<uint8_t>(image), 99); }
constexpr Pixel kNextBoxColour = rgb(40, 41, 42);
constexpr Pixel kGridStripColour = rgb(50, 51, 52);

// Image 10r + c + 1 (1..100) at (20c, 20r); images 101..110 along the bottom row from x = 20.
inline void fill_sprite_table(Game& game) {
  for (int n = 1; n <= 100; ++n) {
    game.sprite_table[n][1] = 20 * ((n - 1) % 10);
    game.sprite_table[n][2] = 20 * ((n - 1) / 10);
  }
  for (int n = 101; n <= 110; ++n) {
    game.sprite_table[n][1] = 20 * (n - 100);
    game.sprite_table[n][2] = 200;
  }
}

inline Surface coloured_sheet(const Game& game) {
  Surface sheet(200, 220);
  for (int n = 1; n <= 110; ++n) sheet.fill({game.sprite_table[n][1], game.sprite_table[n][2], 20, 20}, image_colour(n));
  return sheet;
}

// Rotation `rotation` of `kind` from four rows of four characters, 'X' for a filled cell.
inline void draw_shape(Game& game, int kind, int rotation, std::initializer_list<const char*> rows) {
  int i = 0;
  for (const char* row : rows) {
    for (int j = 0; j < 4; ++j) game.piece_shapes[kind][rotation * 16 + i * 4 + j] = row[j] == 'X' ? 1 : 0;
    ++i;
  }
}

// The same picture in all four rotations.
inline void draw_all_rotations(Game& game, int kind, std::initializer_list<const char*> rows) {
  for (int rotation = 0; rotation < 4; ++rotation) draw_shape(game, kind, rotation, rows);
}

inline void set_cell(Game& game, int row, int column, int16_t value) { game.field_cells[row * 32 + column] = value; }

// Fills well row `row` with `value`, leaving out the columns listed in `gaps`.
inline void fill_row(Game& game, int row, int16_t value, std::initializer_list<int> gaps = {}) {
  for (int column = kWellLeftColumn; column <= kWellRightColumn; ++column) {
    bool gap = false;
    for (int g : gaps) gap = gap || g == column;
    set_cell(game, row, column, gap ? int16_t{0} : value);
  }
}

inline void place_piece(Game& game, int kind, int x, int y, int rotation = 0) {
  game.piece_kind = static_cast<int16_t>(kind);
  game.piece_x = static_cast<int16_t>(x);
  game.piece_y = static_cast<int16_t>(y);
  game.piece_rotation = static_cast<int16_t>(rotation);
}

// A saver whose program folder is the repository's data folder.
class RuleCoreTest : public ::testing::Test {
 protected:
  RuleCoreTest() {
    settings.install_path = QUARLYN_DATA_DIR;
    fill_sprite_table(game());
    PlayScreen& screen = saver.screen;
    for (Surface* s : {&screen.ascreen, &screen.background_main, &screen.background_copy, &screen.background_work})
      *s = Surface(640, 480);
    screen.sprite = coloured_sheet(game());
    screen.next_box = Surface(120, 140, kNextBoxColour);
    screen.stakko_grid = Surface(210, 480);
    screen.stakko_grid.fill({5, 0, 200, 20}, kGridStripColour);
    init_speed_table(game());
    game().game_state = kPieceFalling;
  }

  Game& game() { return saver.game; }
  void load_real_shapes() { ASSERT_TRUE(load_piece_shapes(game(), settings)); }
  // How often the rotation sound was played.
  int rotation_sounds() const {
    int count = 0;
    for (const RecordedCommand& c : rt.mm_commands) count += c.command == "Play" && c.from == 0 && c.to == 180;
    return count;
  }

  TestRuntime rt;
  Settings settings;
  RunFlags flags;
  Saver saver{rt, settings, flags};
};

}  // namespace quarlyn::testing::rules
