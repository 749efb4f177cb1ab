#include "saver/playfield.h"

#include "saver/music_and_sound.h"
#include "saver/piece_step.h"
#include "saver/piece_supply.h"

namespace quarlyn {

namespace {

constexpr int kBoxSide = 4;
constexpr int kBoxCells = kBoxSide * kBoxSide;
constexpr int kRotations = 4;
constexpr int kBottomRow = kFieldRows - 1;
constexpr int kGridStripX = 5;  // the empty well row in the well picture
constexpr int16_t kLandingSound = 2;
constexpr int16_t kLandingSoundHold = 10;
constexpr int16_t kFlashFrames = 20;

// Which walls and the floor count as hits in a test.
struct Bounds {
  bool left_wall;
  bool right_wall;
  bool floor;
};

// The 16 box cells of one rotation. A kind or rotation outside the table reads as an empty box,
// so a broken data set never makes the game index past the table.
const int16_t* box_cells(const Game& game, int kind, int rotation) {
  static constexpr std::array<int16_t, kBoxCells> kEmptyBox{};
  if (kind < 0 || kind > kMaxKinds || rotation < 0 || rotation >= kRotations) return kEmptyBox.data();
  return game.piece_shapes[kind].data() + rotation * kBoxCells;
}

bool occupied(const Game& game, int row, int column) {
  const int index = row * kFieldColumns + column;
  // Only a piece pushed off the play screen could reach past the table; that reads as empty.
  if (index < 0 || index >= static_cast<int>(game.field_cells.size())) return false;
  return game.field_cells[index] > 0;
}

bool out_of_bounds(int row, int column, Bounds bounds) {
  return (bounds.left_wall && column < kWellLeftColumn) || (bounds.right_wall && column > kWellRightColumn) ||
         (bounds.floor && row > kBottomRow);
}

// Does any filled cell of the falling piece's `rotation`, placed at the base cell, hit a wall,
// the floor or an occupied cell? The first hit settles the answer, so a cell below the floor is
// never looked up.
bool hits(const Game& game, int rotation, int base_row, int base_column, Bounds bounds) {
  const int16_t* box = box_cells(game, game.piece_kind, rotation);
  for (int cell = 0; cell < kBoxCells; ++cell) {
    if (box[cell] != 1) continue;
    const int row = base_row + cell / kBoxSide;
    const int column = base_column + cell % kBoxSide;
    if (out_of_bounds(row, column, bounds)) return true;
    if (row >= 0 && occupied(game, row, column)) return true;
  }
  return false;
}

int base_row(const Game& game, int dy) { return cell_of(game.piece_y + dy); }
int base_column(const Game& game, int dx) { return cell_of(game.piece_x + dx); }

bool row_full(const Game& game, int row) {
  for (int column = kWellLeftColumn; column <= kWellRightColumn; ++column)
    if (game.field_cells[row * kFieldColumns + column] <= 0) return false;
  return true;
}

void find_full_rows(Game& game) {
  game.bonus_clear = 0;
  game.full_row_count = 0;
  for (int row = 0; row <= kBottomRow; ++row) game.full_rows[row] = 0;
  for (int row = kBottomRow; row >= 0; --row) {
    if (!row_full(game, row)) continue;
    game.full_rows[row] = 1;
    ++game.full_row_count;
  }
}

// Moves every well row above `row` down by one, in the field and in the master picture, and
// shows the empty well picture in the top row.
void collapse_row(Game& game, PlayScreen& screen, int row) {
  for (int k = row; k >= 1; --k)
    for (int column = kWellLeftColumn; column <= kWellRightColumn; ++column)
      game.field_cells[k * kFieldColumns + column] = game.field_cells[(k - 1) * kFieldColumns + column];
  for (int column = kWellLeftColumn; column <= kWellRightColumn; ++column) game.field_cells[column] = 0;
  for (int k = row; k >= 1; --k)
    bitblt(screen.background_main, kWellX, kCell * k, kWellWidth, kCell, screen.background_main, kWellX,
           kCell * (k - 1), SRCCOPY);
  bitblt(screen.background_main, kWellX, 0, kWellWidth, kCell, screen.stakko_grid, kGridStripX, 0, SRCCOPY);
}

}  // namespace

int cell_of(int pixel) {
  int cell = pixel / kCell;
  if (pixel % kCell != 0 && pixel < 0) --cell;
  return cell;
}

bool box_cell_filled(const Game& game, int kind, int rotation, int cell) {
  return cell >= 0 && cell < kBoxCells && box_cells(game, kind, rotation)[cell] == 1;
}

bool shape_has_cells(const Game& game, int kind, int rotation) {
  const int16_t* box = box_cells(game, kind, rotation);
  for (int cell = 0; cell < kBoxCells; ++cell)
    if (box[cell] == 1) return true;
  return false;
}

bool kind_has_shape(const Game& game, int kind) {
  for (int rotation = 0; rotation < kRotations; ++rotation)
    if (!shape_has_cells(game, kind, rotation)) return false;
  return true;
}

void copy_block(Surface& destination, int x, int y, const Game& game, const Surface& sheet, int image) {
  if (image < 0 || image >= kSpriteImages) return;  // no such entry in the sprite table
  const auto& entry = game.sprite_table[image];
  bitblt(destination, x, y, kCell, kCell, sheet, entry[1], entry[2], SRCCOPY);
}

void clear_field(Game& game) { game.field_cells.fill(0); }

void spawn_piece(Game& game) {
  game.robot_in_position = 0;
  game.drop_counter = -20;  // a new piece rests 20 extra frames before its first fall
  game.piece_kind = game.next_kind;
  game.piece_image = game.next_image;
  game.piece_rotation = 0;
  game.piece_x = kSpawnX;
  game.piece_y = kSpawnY;
}

bool stakko_checkinitialdrop(const Game& game) {
  return hits(game, game.piece_rotation, base_row(game, 0), base_column(game, 0), Bounds{false, false, false});
}

bool stakko_gameovercheck(const Game& game) { return stakko_checkinitialdrop(game); }

bool stakko_moveleft(const Game& game) {
  return !hits(game, game.piece_rotation, base_row(game, 0), base_column(game, -kCell), Bounds{true, false, false});
}

bool stakko_moveright(const Game& game) {
  return !hits(game, game.piece_rotation, base_row(game, 0), base_column(game, kCell), Bounds{false, true, false});
}

bool stakko_movedown(Game& game) {
  // The last filled cell in visiting order lies in the lowest filled row, so the search runs
  // backwards and stops there.
  const int16_t* box = box_cells(game, game.piece_kind, game.piece_rotation);
  game.piece_bottom_y = 0;
  for (int cell = kBoxCells - 1; cell >= 0; --cell) {
    if (box[cell] != 1) continue;
    game.piece_bottom_y = static_cast<int16_t>(game.piece_y + kCell * (cell / kBoxSide));
    break;
  }
  return !hits(game, game.piece_rotation, base_row(game, kCell), base_column(game, 0), Bounds{false, false, true});
}

bool stakko_rotation(const Game& game) {
  const int next = (game.piece_rotation + 1) % kRotations;
  return !hits(game, next, base_row(game, 0), base_column(game, 0), Bounds{true, true, true});
}

void stakko_storepiece(Game& game, PlayScreen& screen) {
  const int16_t* box = box_cells(game, game.piece_kind, game.piece_rotation);
  for (int cell = 0; cell < kBoxCells; ++cell) {
    if (box[cell] != 1) continue;
    const int i = cell / kBoxSide;
    const int j = cell % kBoxSide;
    const int row = base_row(game, 0) + i;
    const int column = base_column(game, 0) + j;
    if (column < kWellLeftColumn || column > kWellRightColumn || row < 0 || row > kBottomRow) continue;
    game.field_cells[row * kFieldColumns + column] = game.piece_image;
    const int x = game.piece_x + kCell * j;
    const int y = game.piece_y + kCell * i;
    for (Surface* target : {&screen.background_main, &screen.background_copy, &screen.background_work, &screen.ascreen})
      copy_block(*target, x, y, game, screen.sprite, game.piece_image);
  }
}

void stakko_checkrows(Saver& saver) {
  Game& game = saver.game;
  game.sound_hold = 0;
  stakko_playsound(saver, kLandingSound);
  game.sound_hold = kLandingSoundHold;
  find_full_rows(game);
  if (game.full_row_count == 0) {
    spawn_piece(game);
    make_next_piece(saver);
    stakko_redrawascreen(saver);
    stakko_clearkey(game);
    return;
  }
  game.game_state = kRowsFlashing;
  game.flash_frames = kFlashFrames;
  if (game.full_row_count > 3) game.bonus_clear = 1;
}

void stakko_scrolldown(Game& game, PlayScreen& screen) {
  // The same row is tested again after each collapse, so adjacent full rows all go.
  for (int row = kBottomRow; row >= 0; --row)
    while (row_full(game, row)) collapse_row(game, screen, row);
  for (Surface* target : {&screen.background_copy, &screen.background_work, &screen.ascreen})
    bitblt(*target, kWellX, 0, kWellWidth, kPlayHeight, screen.background_main, kWellX, 0, SRCCOPY);
}

}  // namespace quarlyn
