// The default pictures of the game, each drawn from scratch at the size the game expects.
#pragma once

#include "canvas.h"

namespace quarlyn {

// Backgrounds, one per level, 640x480.
Canvas make_aurora_night();
Canvas make_sunset_dunes();
Canvas make_underwater();
Canvas make_nebula();
Canvas make_dawn_mountains();
Canvas make_neon_horizon();
Canvas make_misty_forest();
Canvas make_volcano();
Canvas make_ice_crystals();
Canvas make_galaxy();

Canvas make_grid();      // 210x480 well
Canvas make_next();      // 120x140 next-piece box
Canvas make_score();     // 140x200 score panel
Canvas make_numbers();   // 200x25 digits
Canvas make_bonus();     // 200x80 bonus banner
Canvas make_gameover();  // 160x200 game-over card
Canvas make_bricks();    // 200x220 block sheet
Canvas make_hiscore();   // 353x261 high-score dialog

}  // namespace quarlyn
