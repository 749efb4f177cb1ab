// A collision test of the falling piece at an offset position, in pixels.
#pragma once

#include <cstdint>

#include "saver/game.h"

namespace quarlyn {

// True (-1) when the falling piece, moved `z1` pixels sideways and `z2` downward, overlaps an
// occupied well cell or, as in the move tests, lies beside the well or below its floor; else
// False (0). Cells above the well's top count only against the walls. Changes nothing.
int16_t stakko_checkarea(const Game& game, double z1, double z2);

}  // namespace quarlyn
