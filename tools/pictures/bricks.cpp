#include "blocks.h"
#include "pictures.h"

namespace quarlyn {

// Rows 0..9: the ten colours of each level; row 10: game-over fill, then the three obstacles.
Canvas make_bricks() {
  Canvas sheet(10 * kCell, 11 * kCell);
  for (int level = 1; level <= 10; ++level) {
    for (int index = 0; index < 10; ++index) {
      sheet.paste(glossy_block(palette_color(level, index)), index * kCell, (level - 1) * kCell);
    }
  }
  sheet.paste(steel_block(), 0, 10 * kCell);
  sheet.paste(stone_block(), kCell, 10 * kCell);
  sheet.paste(metal_block(), 2 * kCell, 10 * kCell);
  sheet.paste(crate_block(), 3 * kCell, 10 * kCell);
  return sheet;
}

}  // namespace quarlyn
