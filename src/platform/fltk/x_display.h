// The connection to the X server that FLTK and the runtime share.
//
// Contract: `open_x_display` opens it at the first call and does nothing at later ones. When no
// X server can be reached (DISPLAY unset, or naming a display that does not answer), it prints
// one line on stderr saying that no X display is available and ends the program with status 1.
#pragma once

namespace quarlyn {

void open_x_display();

}  // namespace quarlyn
