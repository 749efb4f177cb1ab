// Music from the playlist and the game's sound effects.
#pragma once

#include <cstdint>

#include "saver/saver_context.h"

namespace quarlyn {

// Opens the effects file once per saver run.
void stakko_initwav(Saver& saver);
// Steps through the playlist; the saver window's timer calls it every 2000 ms.
void Timer1_Timer(Saver& saver);
// Closes the sound devices when the saver window unloads.
void audio_off(Saver& saver);

// Sound effects: 1 rotation, 2 landing, 3 rows cleared (and the fill), 4 four rows, 5 a new
// high score.
void stakko_playsound(Saver& saver, int16_t effect);

}  // namespace quarlyn
