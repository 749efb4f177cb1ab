// The two animations in the well: the flashing of full rows (with the bonus picture for four
// rows at once) and the game-over fill. Each call draws one frame.
#pragma once

#include "saver/saver_context.h"

namespace quarlyn {

void stakko_flasher(Saver& saver);
void stakko_clearing(Saver& saver);

}  // namespace quarlyn
