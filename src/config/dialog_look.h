// The shared look of the configuration dialogs: light text on the game's dark blue glass.
#pragma once

#include <string>

#include "platform/controls.h"

namespace quarlyn {

inline constexpr Pixel kTextColour = rgb(0xe6, 0xf8, 0xff);
inline constexpr Pixel kHeadingColour = rgb(0x7f, 0xd4, 0xf5);
inline constexpr Pixel kAccentColour = rgb(0xff, 0xd9, 0x70);

struct LabelLook {
  float points = 9;
  bool bold = false;
  Pixel colour = kTextColour;
  TextAlignment alignment = TextAlignment::kLeft;
};

inline void set_label(Label& label, const Rect& bounds, std::string caption, const LabelLook& look = {}) {
  label.bounds = bounds;
  label.Caption = std::move(caption);
  label.FontSize = look.points;
  label.FontBold = look.bold;
  label.ForeColor = look.colour;
  label.Alignment = look.alignment;
}

inline constexpr Pixel kDialogBackground = rgb(0x12, 0x1a, 0x33);

// A plain dark backdrop over the whole form, for dialogs without a picture of their own.
inline void set_backdrop(Image& image, const Rect& bounds) {
  image.bounds = bounds;
  image.picture = Surface(1, 1, kDialogBackground);
}

inline void set_button(CommandButton& button, const Rect& bounds, std::string caption) {
  button.bounds = bounds;
  button.caption = std::move(caption);
}

}  // namespace quarlyn
