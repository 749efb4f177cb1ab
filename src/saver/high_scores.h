// The "40 line" clock and the high-score table of a person's game.
#pragma once

#include "saver/saver_context.h"

namespace quarlyn {

// Shows the running clock of a "40 line" game.
void handle_time(Saver& saver);
// Shows the final time of a "40 line" game.
void handle_ending_time(Saver& saver);
// Ranks a person's finished game and asks for a name when it earns a place.
void stakko_checkhighscore(Saver& saver);

}  // namespace quarlyn
