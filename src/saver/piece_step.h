// One tick of the falling piece: the game-over test, one key from the keyboard or the robot,
// gravity and the landing; the hard drop; the keyboard poll with its own auto-repeat.
#pragma once

#include <cstdint>

#include "saver/game.h"
#include "saver/saver_context.h"

namespace quarlyn {

// One playing tick. Applies at most one key, then counts the gravity frames; a piece that can
// fall no further lands and the next piece (or the row flashing) follows.
void stakko_movepiece(Saver& saver);
// The hard drop: the piece falls as far as it can and lands at once.
void stakko_drop(Saver& saver);
// Polls the game keys once and applies the auto-repeat: a held key gives its code at once,
// again `key_delay` + 3 polls later, then every `key_repeat_rate` + 1 polls (with 5 and 1: at
// polls 1, 9, 11, 13 ...). When several keys are down, the strongest wins: Esc, Space, Left,
// Down, Right, Up; the letters A, S, D, W (in that order) count only when none of those is
// down. Stores the code in `key_code` and returns it (0 for none).
int32_t get_keyboard(Saver& saver);
// Drops a pending key and holds back the next repeat of a held key, so a key held through a
// landing does not run on into the new piece.
void stakko_clearkey(Game& game);

}  // namespace quarlyn
