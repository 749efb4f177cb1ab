// The screen as the desktop's wallpaper, and moving the mouse pointer. Nothing in the game
// calls them.
#pragma once

#include <string>

#include "saver/saver_context.h"

namespace quarlyn {

inline constexpr const char* kWallpaperFileName = "Quarlyn.exe Image.bmp";

// Hides the message line and the clock, draws the sprites onto the play screen, reads the whole
// screen as shown and saves it as a BMP file in the program's per-user folder, replacing the
// last one, then makes that file the desktop's wallpaper. A file that cannot be written sets no
// wallpaper. The game's back buffer is the same afterwards.
void save_wallpaper(Saver& saver);
// Moves the mouse pointer to (x, y) of the saver window's client area, in pixels.
void set_mouseposition(Saver& saver, double x, double Y);

}  // namespace quarlyn
