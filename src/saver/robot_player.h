// The robot player: steers the falling piece while nobody plays.
#pragma once

#include "saver/saver_context.h"

namespace quarlyn {

// One robot tick. Tries every rotation in every column it can slide to at the current height,
// dropped straight down, and aims for the placement whose lowest row lands deepest (ties: the
// lower rotation, then the left column). Then it sets `key_code` to step one column toward the
// target, turns the piece one rotation step forward when that fits, and, once the piece is in
// the target column, only presses Down until the next piece. The search moves the real
// falling piece and puts it back exactly where it was.
void stakko_robomove(Saver& saver);

}  // namespace quarlyn
