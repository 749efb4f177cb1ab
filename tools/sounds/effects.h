// The game's sound effects, each drawn to fill exactly the time slot it gets in the sound bank.
#pragma once

#include "dsp.h"

namespace quarlyn {

Stereo rotation_click(double seconds);     // a short, soft wooden blip
Stereo row_cleared(double seconds);        // a rising swoosh with a quick chime on top
Stereo piece_landed(double seconds);       // a short, soft knock with a little thump under it
Stereo four_rows_fanfare(double seconds);  // brass arpeggio into a held chord, with sparkles
Stereo high_score_tune(double seconds);    // a cheerful four-bar tune with bass, chords and drums

// All five at their fixed millisecond slots in a ten-second bank, silence between them.
Stereo sound_bank();

}  // namespace quarlyn
