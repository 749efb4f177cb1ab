// The default picture list and playlist in the program folder, and the picture check.
#pragma once

#include "startup/settings.h"

namespace quarlyn {

// Entries 1 to 18 of the picture list become the pictures in the program folder.
void default_graphics_files(Settings& settings);
// The playlist becomes music1.mid to music10.mid in the program folder; entries above 10 are
// left as they are, beyond the count.
void default_audio_files(Settings& settings);
// True when every one of the 18 pictures is there (and longer than one byte).
bool graphics_files_present(const Settings& settings);

}  // namespace quarlyn
