// The look that the program's own widgets share with the configuration dialogs: light text on
// the game's dark blue glass. Message boxes and tooltips take it too, so nothing on screen is
// FLTK's stock grey and yellow.
#pragma once

#include <FL/Enumerations.H>

namespace quarlyn {

inline const Fl_Color kButtonFace = fl_rgb_color(0x26, 0x36, 0x62);
inline const Fl_Color kButtonPressed = fl_rgb_color(0x3a, 0x5c, 0x9c);
inline const Fl_Color kButtonText = fl_rgb_color(0xe6, 0xf8, 0xff);
inline constexpr Fl_Fontsize kButtonTextSize = 13;
// The plain backdrop of the dialogs that have no picture of their own.
inline const Fl_Color kDialogFace = fl_rgb_color(0x12, 0x1a, 0x33);

}  // namespace quarlyn
