// The program's message box: a small modal window with the caller's title, the prompt, and one
// "OK" button; no icon; in the configuration dialogs' colours and font.
//
// Contract of `show_message_box`:
// - shows the prompt exactly, with no symbol or shortcut markup interpreted; line breaks as in
//   `message_box_text`; long lines wrap at three quarters of the screen width;
// - sized to its text and centred on the screen;
// - OK, Enter, Escape and the window's close button close it; it takes the keyboard focus as soon
//   as it is on screen, with or without a window manager;
// - returns once it is closed, having run the window system's events (timers included) meanwhile;
// - hides the mouse pointer over itself when `hide_cursor` is set, as every window of the program
//   does while the cursor's display count is negative.
#pragma once

#include <string>

namespace quarlyn {

// The prompt as the box shows it: "\r\n", a lone "\r" and "\n" each become one line break.
std::string message_box_text(const std::string& prompt);

void show_message_box(const std::string& prompt, const std::string& title, bool hide_cursor);

}  // namespace quarlyn
