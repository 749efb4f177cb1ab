// The piece supply: the shape table and the fixed piece order read from the program folder,
// the choice of each next piece with its preview, and the level speeds.
#pragma once

#include "saver/game.h"
#include "saver/saver_context.h"
#include "startup/settings.h"

namespace quarlyn {

// Reads objects.txt from the program folder into `piece_shapes`: a title, the number of kinds
// N, then for each kind four rotations of 16 cells, each followed by a separator text. True
// when the whole file was read (N <= 0 reads nothing and is true). The first error (a missing
// file, a field that is not a 16-bit integer, the end of the file, a kind beyond 20) ends the
// read with false; what was stored until then stays.
bool load_piece_shapes(Game& game, const Settings& settings);
// Reads up to 1000 kinds from pieces.dat into `piece_sequence`(1..1000). Stops silently at the
// first error; entries not read keep their values.
void load_piece_sequence(Game& game, const Settings& settings);
// Chooses the next piece's kind and block image and draws it into the next-piece box. A kind
// without a shape in every rotation gives way to a random kind that has one.
void make_next_piece(Saver& saver);
// Frames per one-row fall for levels 1 to 20.
void init_speed_table(Game& game);

}  // namespace quarlyn
