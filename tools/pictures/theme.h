// The shared look of the panels: dark blue glass with a bevelled steel rim and cyan accents.
#pragma once

#include <string_view>

#include "canvas.h"

namespace quarlyn {

// The counter fields and the digit cells share it exactly, so digits blend into the fields.
inline constexpr Color kFieldColor = hex(0x060a16);
inline constexpr Color kWellColor = hex(0x080d1b);
inline constexpr Color kAccent = hex(0x5cd6ff);
inline constexpr Color kLabelTop = hex(0xe6f8ff);
inline constexpr Color kLabelBottom = hex(0x7fd4f5);

// Fills the whole canvas with the glass panel and its rim.
void paint_panel(Canvas& canvas);
// A recessed field: `inner` filled flat with `fill`, a one-pixel bevel just outside it.
void paint_inset(Canvas& canvas, const Rect& inner, Color fill);
// A small glowing caption with its top-left corner at (left, top).
void paint_label(Canvas& canvas, std::string_view text, float left, float top, float height);
// A thin accent rule from x0 to x1 at height y, fading out at both ends.
void paint_rule(Canvas& canvas, float x0, float x1, float y);

}  // namespace quarlyn
