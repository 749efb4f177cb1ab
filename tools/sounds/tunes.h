// The default music: a title theme and ten pieces for the game, each in its own style.
#pragma once

#include "arrangement.h"

namespace quarlyn {

Song compose_title_theme();        // title.mid
Song compose_piano_waltz();        // music1.mid
Song compose_synth_pop();          // music2.mid
Song compose_folk_jig();           // music3.mid
Song compose_baroque_invention();  // music4.mid
Song compose_jazz_vibes();         // music5.mid
Song compose_bossa_nova();         // music6.mid
Song compose_chiptune();           // music7.mid
Song compose_march();              // music8.mid
Song compose_marimba_dream();      // music9.mid
Song compose_funk();               // music10.mid

}  // namespace quarlyn
