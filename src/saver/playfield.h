// The rule core of the game: the field, the falling piece on it, the tests that decide whether
// the piece may stay, move or turn, the storing of a landed piece, the search for full rows and
// their collapse.
//
// Box cell (i, j) of the piece lies on field row floor(piece_y / 20) + i and column
// floor(piece_x / 20) + j; cells are visited rows outer, columns inner. The tests change
// nothing but `piece_bottom_y` (the down test records it); the caller applies the move. Cells
// above the top of the well (row < 0) are never looked up in the field, but the walls and the
// floor apply to them.
#pragma once

#include "saver/game.h"
#include "saver/play_screen.h"
#include "saver/saver_context.h"

namespace quarlyn {

// The field row or column of a pixel position: floor division by the cell size, so -20 is -1.
int cell_of(int pixel);

// Clears every entry of `field_cells`, the spare one included.
void clear_field(Game& game);
// The next piece becomes the falling one at the top of the well. Neither tests nor draws.
void spawn_piece(Game& game);

// True when the piece overlaps an occupied cell where it stands (no wall or floor test).
bool stakko_checkinitialdrop(const Game& game);
bool stakko_gameovercheck(const Game& game);
// True when the piece fits one cell to the left / right / lower.
bool stakko_moveleft(const Game& game);
bool stakko_moveright(const Game& game);
// Also sets `piece_bottom_y` to the pixel y of the piece's lowest filled row where it stands
// now (0 for a shape without cells).
bool stakko_movedown(Game& game);
// True when the next rotation fits where the piece stands.
bool stakko_rotation(const Game& game);

// Writes the landed piece's cells inside the well into the field and stamps their blocks on
// the four play-screen surfaces; cells outside the well are lost.
void stakko_storepiece(Game& game, PlayScreen& screen);
// After a landing: the landing sound, the full-row search, then the next piece or the flashing.
void stakko_checkrows(Saver& saver);
// Removes every full well row from the field and the pictures.
void stakko_scrolldown(Game& game, PlayScreen& screen);

// Is box cell `cell` (row * 4 + column) of rotation `rotation` of kind `kind` filled? Does the
// rotation have a filled cell at all? Both are false for a kind or rotation the shape table
// does not hold.
bool box_cell_filled(const Game& game, int kind, int rotation, int cell);
bool shape_has_cells(const Game& game, int kind, int rotation);
// Does every rotation of `kind` have a filled cell? Only such a kind can be played: a rotation
// without cells meets no wall and no floor.
bool kind_has_shape(const Game& game, int kind);
// Copies the 20x20 block image `image` of the block sheet to (x, y) of `destination`; an image
// number outside the sprite table draws nothing.
void copy_block(Surface& destination, int x, int y, const Game& game, const Surface& sheet, int image);

}  // namespace quarlyn
