// Full-screen transitions between two pictures: the destination comes to show the source's
// image piece by piece, with a pause (which yields to the window system) after each piece.
#pragma once

#include "platform/surface.h"
#include "saver/saver_context.h"

namespace quarlyn {

// Kinds: 1 dissolve in 40 x 40 tiles, 2 interlaced rows, 3 interlaced columns, 10 push-down;
// any other kind changes nothing. The screen's size in pixels sets the area.
void blit_effect(Saver& saver, const Surface& source, Surface& destination, double kind);

}  // namespace quarlyn
