#include "saver/well_animations.h"

#include "saver/music_and_sound.h"

namespace quarlyn {

namespace {

constexpr int kEmptyRowX = 5;
constexpr int kFillBlockX = 0;
constexpr int kFillBlockY = 200;

void show_row(PlayScreen& screen, int row) {
  bitblt(screen.ascreen, kWellX, kCell * row, kWellWidth, kCell, screen.background_main, kWellX, kCell * row, SRCCOPY);
}

}  // namespace

void stakko_flasher(Saver& saver) {
  Game& game = saver.game;
  PlayScreen& screen = saver.screen;
  int strip_y = 80;
  game.flash_count = static_cast<int16_t>(game.flash_count + 1);
  if (game.flash_count < game.flash_interval) return;
  game.flash_count = 0;
  game.flash_phase = static_cast<int16_t>(1 - game.flash_phase);
  for (int row = kFieldRows - 1; row >= 0; --row) {
    if (game.full_rows[row] != 1) continue;
    if (game.bonus_clear != 0) strip_y -= kCell;
    if (game.flash_phase == 1) {
      show_row(screen, row);
    } else if (game.bonus_clear != 0 && strip_y >= 0) {
      bitblt(screen.ascreen, kWellX, kCell * row, kWellWidth, kCell, screen.bonus, 0, strip_y, SRCCOPY);
    } else {
      // A fifth full row and beyond would take its strip from above the bonus picture, which
      // holds nothing: those rows show the empty well, like the rows of a smaller clearing.
      bitblt(screen.ascreen, kWellX, kCell * row, kWellWidth, kCell, screen.stakko_grid, kEmptyRowX, 0, SRCCOPY);
    }
  }
}

void stakko_clearing(Saver& saver) {
  Game& game = saver.game;
  PlayScreen& screen = saver.screen;
  for (int column = 0; column < 10; ++column) {
    const int x = kWellX + kCell * column;
    const int y = kCell * game.fill_row;
    bitblt(screen.ascreen, x, y, kCell, kCell, screen.sprite, kFillBlockX, kFillBlockY, SRCCOPY);
    bitblt(screen.background_copy, x, y, kCell, kCell, screen.sprite, kFillBlockX, kFillBlockY, SRCCOPY);
  }
  game.fill_row = static_cast<int16_t>(game.fill_row - 1);
  if (game.fill_row == -1) game.filling = 0;
  game.fill_sound_counter = static_cast<int16_t>(game.fill_sound_counter + 1);
  if (game.fill_sound_counter == 4) {
    game.fill_sound_counter = 0;
    game.sound_hold = 0;
    stakko_playsound(saver, 3);
  }
}

}  // namespace quarlyn
