// The "40 line" clock and the high-score table of a person's game.
#pragma once

#include <cstdint>
#include <string>

#include "saver/saver_context.h"

namespace quarlyn {

// Whole seconds as minutes and seconds: 0:07, 0:42, 1:05, 62:05.
std::string time_text(int32_t seconds);
// The decimal number (sign and fraction allowed) a stored score, time or line count starts
// with; 0 when it starts with none.
double stored_number(const std::string& text);

// Shows the running clock of a "40 line" game.
void handle_time(Saver& saver);
// Shows the final time of a "40 line" game.
void handle_ending_time(Saver& saver);
// Ranks a person's finished game; a result that earns a place asks for a name and is saved.
void stakko_checkhighscore(Saver& saver);

}  // namespace quarlyn
