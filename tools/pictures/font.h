// A small stroked font of rounded-square capitals and digits: each glyph is a few polylines on
// a grid 6 units high, drawn with round pens, so it scales to any size and stays crisp.
#pragma once

#include <string_view>

#include "shapes.h"

namespace quarlyn {

struct TextLook {
  float height = 12;     // cap height including the pen, in pixels
  float weight = 0.9f;   // pen width in grid units
  float spacing = 1.3f;  // gap between glyphs in grid units
};

float text_width(std::string_view text, const TextLook& look);
// The text as a shape with its top-left corner at (left, top).
Shape text_shape(std::string_view text, float left, float top, const TextLook& look);
// The same, centred horizontally on `centre_x`.
Shape centred_text(std::string_view text, float centre_x, float top, const TextLook& look);

}  // namespace quarlyn
