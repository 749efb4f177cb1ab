// The pictures of the configuration windows: the window's background, the game types in both
// states, the button faces, the tips picture and the dialogs' artwork, with their words set in
// the given fonts.
#pragma once

#include <string>

namespace quarlyn {

// Writes every picture as NAME.bmp into `folder`; false when one cannot be written. Throws
// std::runtime_error when a font cannot be read.
bool write_window_art(const std::string& folder, const std::string& regular_font, const std::string& bold_font);

}  // namespace quarlyn
