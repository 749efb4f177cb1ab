// Music from the playlist and the game's sound effects, through the saver's three multimedia
// controls: MIDI tunes on MMControl1, the effects file audio.wav on MMControl2, wave tunes of
// the playlist on MMControl3.
#pragma once

#include <cstdint>
#include <string>

#include "saver/saver_context.h"

namespace quarlyn {

// Opens the effects file once per saver run (whatever the effects setting says).
// A playlist entry or tune whose path ends in "WAV", in any letter case, plays as a wave file;
// every other as MIDI.
bool ends_in_wav(const std::string& path);

void stakko_initwav(Saver& saver);
// Sound effects: 1 rotation, 2 landing, 3 rows cleared (and the fill), 4 four rows, 5 a new
// high score. Dropped, not delayed, while `sound_hold` runs or effects are off.
void stakko_playsound(Saver& saver, int16_t effect);
// Start a tune unless one is playing.
void launch_midi(Saver& saver, const std::string& path);
void launch_wav(Saver& saver, const std::string& path);
// Every 2000 ms: tries to start the tune at the playlist position, which moves on every tick.
void Timer1_Timer(Saver& saver);
// A stopped tune frees its device for the next one.
void MMControl1_StatusUpdate(Saver& saver);
void MMControl3_StatusUpdate(Saver& saver);
// Closes the sound devices when the saver window unloads.
void audio_off(Saver& saver);

}  // namespace quarlyn
