// Sprite slots and the frame compositor: the falling piece is drawn as movable 20x20 sprites,
// erased from and drawn into the back buffer every frame, and only what changed is copied to
// the visible play screen.
#pragma once

#include "saver/saver_context.h"

namespace quarlyn {

// Rebuilds the sprite image table and resets the slots; at the start of every game.
void init_sprites(Saver& saver);
// The sideways steps of falling objects, scaled to the screen width.
void init_motion_tables(Game& game, int32_t screen_width);
void sprites_reset(Game& game);
// Switches a slot off; without `keep_type_count` the slot's type loses one live slot.
void sprite_off(Game& game, int slot, bool keep_type_count = false);
// Puts the falling piece into slots 1 to n, one per filled cell.
void stakko_drawpiece(Game& game);

// The three passes of a frame: erase the sprites, (the game step), draw them, show changes.
void blit_old_sprites(Saver& saver);
void blit_new_sprites(Saver& saver);
void blit_flicker_free(Saver& saver);

}  // namespace quarlyn
