// Small services the windows share: the host's screen-saver flags, the millisecond clock and a
// pause, file tests, the mouse cursor and window centring.
#pragma once

#include <cstdint>
#include <string>

#include "platform/form.h"
#include "platform/runtime.h"

namespace quarlyn {

// Tells the host that a screen saver runs, then holds off its own screen saver.
void enter_saver_mode(Runtime& runtime);
// The reverse, in the same order.
void leave_saver_mode(Runtime& runtime);
void set_desktop_wallpaper(Runtime& runtime, const std::string& path);

int32_t time_now_ms(Runtime& runtime);
// Yields to the window system until `ms` milliseconds have passed (at least one yield).
void pause_ms(Runtime& runtime, int32_t ms);

// True for a file longer than one byte; false for a missing, empty or one-byte file.
bool file_exists(const std::string& path);
// The part of a path after its last "/" (empty when it ends in "/").
std::string file_name_of(const std::string& path);

// Raise or lower the cursor's display count until the cursor shows or hides (always one call).
void show_cursor(Runtime& runtime);
void hide_cursor(Runtime& runtime);

// Places the window in the middle of the screen, keeping its size.
void place_centred(Runtime& runtime, Form& form);
// The same, then yields once.
void center_form(Runtime& runtime, Form& form);

}  // namespace quarlyn
