// The 20x20 block images: glossy coloured pieces, the game-over fill and three obstacles.
#pragma once

#include "canvas.h"

namespace quarlyn {

inline constexpr int kCell = 20;

// Colour `index` (0..9) of the palette of level `level` (1..10).
Color palette_color(int level, int index);

Canvas glossy_block(Color base);
Canvas steel_block();
Canvas stone_block();
Canvas metal_block();
Canvas crate_block();

}  // namespace quarlyn
