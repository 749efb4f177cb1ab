// More that the sprite slots can do beyond showing the falling piece: motion set-ups for
// fireworks, falling objects and inertia, an erase mark, a vertical clamp, animations, a
// draw-order pass, clearing, a test layout and drawing straight onto the visible screen.
// Nothing in the game calls them.
//
// A slot argument is any number, taken to the nearest whole slot (halves to even). A call
// naming a slot outside 0..32, or an animation other than 0 and 1, does nothing at all.
#pragma once

#include "saver/saver_context.h"

namespace quarlyn {

// A rocket at the bottom centre of the screen.
void launch_firework(Saver& saver, double slot);
// An object above the top edge that falls with a random drift or wobble.
void launch_object(Saver& saver, double slot);
// Stores an inertia record and shows the slot.
void vb_inertia(Game& game, double slot, double p1, double p2, double p3, double p4, double p5, double p6);
// Marks the slot's last drawing for one wipe and records its rectangle; the slot stays on.
void sprite_restoreit(Game& game, double x);
// Moves the slot vertically so that its image lies within the screen height (top test first).
void check_vertical(Saver& saver, double x);
// Starts animation `x2` on slot `x1`.
void setsprite_anim(Game& game, double x1, double x2);
// One ordering pass over the draw order by the images' depth keys; equal keys keep their order.
void sort_sprites(Game& game);
// Erases every active sprite from the back buffer and switches all slots off.
void sprites_clear(Saver& saver);
// Lays every slot out in a column at x 350, each image half its height below the one before.
void test_sprites(Saver& saver);
// Draws every active sprite straight onto the visible play screen, unless a full redraw is due.
void blit_sprites(Saver& saver);

void handle_picture_rotation();
void stakko_dropdown();

}  // namespace quarlyn
