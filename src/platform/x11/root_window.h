// The screen itself: reading what it shows, its background picture and the pointer.
//
// Contract:
// - `read_root_window` returns the whole default screen as shown, the windows on it included,
//   as 0x00RRGGBB pixels; an empty surface when the server refuses.
// - `set_root_background` makes `picture` the root window's background (from the top-left
//   corner; the rest black) and publishes it the way desktop tools do: the pixmap's id in the
//   root properties _XROOTPMAP_ID and ESETROOT_PMAP_ID, the pixmap made on a connection of its
//   own whose resources the server keeps after the program ends. The pixmap an earlier call (or
//   another tool following the same convention) left behind is freed first. Errors of these
//   requests are dropped; nothing of it changes the caller's connection.
// - `move_pointer` warps the pointer to (x, y) of the default screen.
//
// Internal to src/platform: it includes Xlib, so only the real platform files include it.
#pragma once

#include <X11/Xlib.h>

#include "platform/surface.h"

namespace quarlyn {

Surface read_root_window(Display* display);
void set_root_background(Display* display, const Surface& picture);
void move_pointer(Display* display, int x, int y);

}  // namespace quarlyn
