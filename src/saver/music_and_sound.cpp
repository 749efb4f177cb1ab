#include "saver/music_and_sound.h"

namespace quarlyn {

// The sound devices arrive with the audio layer; until then the saver is silent.
void stakko_initwav(Saver&) {}
void Timer1_Timer(Saver&) {}
void audio_off(Saver&) {}
void stakko_playsound(Saver&, int16_t) {}

}  // namespace quarlyn
