// The game's flow: set-up, the per-frame state machine, scoring, levels, obstacles, the
// level-20 celebration, the hand-over to a person and the end of a game.
#pragma once

#include "saver/saver_context.h"

namespace quarlyn {

// Sets up a new game for whoever `robot_playing` names. A program folder without one playable
// piece shape allows no game: then it tells the user, asks the saver to end and returns false,
// with no game running.
bool init_the_game(Saver& saver);
// The level a person's game starts at: the configured one, 1 when that is not 1 to 10.
int32_t configured_starting_level(const Settings& settings);
// Draws the starting level of the robot's next game now rather than at its set-up.
void choose_robot_starting_level(Saver& saver);
// One step of the game, once per frame.
void move_sprites(Saver& saver);
// A person takes the game over: a fresh game of theirs starts.
void stakko_newgame(Saver& saver);
// Ends the game: the falling piece's sprites go and the game-over fill starts.
void stakko_dogameover(Saver& saver);
// Places the obstacle blocks of a person's game of types 3 and 4.
void stakko_difficulty(Saver& saver);
// The one-time celebration on reaching level 20.
void play_20_booms(Saver& saver);

}  // namespace quarlyn
