// Translating FLTK's keys to what the program's handlers expect from a Windows keyboard.
//
// Contract:
// - `virtual_key_code` maps an FLTK key (`Fl::event_key()`) to its Windows virtual-key code:
//   letters to the upper-case codes 65-90 whatever the shift state, digits to 48-57, the keypad
//   to 96-111, F1-F24 to 112-135, modifiers to 16/17/18 whichever side, punctuation to the codes
//   of a US layout. Keys without a Windows counterpart map to 0.
// - `typed_character` is the character a key press typed, from FLTK's UTF-8 event text, as the
//   Latin-1 code a Windows program would receive ('?' for characters beyond it), or -1 when the
//   key typed nothing.
#pragma once

#include <string_view>

namespace quarlyn {

int virtual_key_code(int fltk_key);

int typed_character(std::string_view utf8_text);

}  // namespace quarlyn
