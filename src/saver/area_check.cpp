#include "saver/area_check.h"

#include <algorithm>
#include <cmath>

#include "saver/playfield.h"

namespace quarlyn {

namespace {

// Far enough off the field that every cell beyond counts as beside the well or below it, and
// small enough for any offset, however wild, to become a whole cell number safely.
constexpr double kFarCells = 1000;

int trial_cell(double pixels) {
  const double cell = std::floor(pixels / kCell);
  return static_cast<int>(std::isnan(cell) ? kFarCells : std::clamp(cell, -kFarCells, kFarCells));
}

bool cell_hit(const Game& game, int row, int column) {
  if (column < kWellLeftColumn || column > kWellRightColumn || row >= kFieldRows) return true;
  return row >= 0 && game.field_cells[row * kFieldColumns + column] >= 1;
}

}  // namespace

int16_t stakko_checkarea(const Game& game, double z1, double z2) {
  const int base_column = trial_cell(game.piece_x + z1);
  const int base_row = trial_cell(game.piece_y + z2);
  int count = 0;
  for (int cell = 0; cell < 16; ++cell) {
    if (!box_cell_filled(game, game.piece_kind, game.piece_rotation, cell)) continue;
    if (cell_hit(game, base_row + cell / 4, base_column + cell % 4)) ++count;
  }
  return count != 0 ? -1 : 0;
}

}  // namespace quarlyn
