// The runtime: everything the program asks of the window system and the host.
//
// Two implementations exist. The real one drives FLTK and Xlib; the test one has a virtual
// clock, scripted events and recorders, so every procedure above this layer runs headless and
// deterministically. Event handlers, timers included, only ever run inside `yield` and
// `yield_until`, and inside modal waits such as `message_box`.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/surface.h"

namespace quarlyn {

class MMControl;
class ModalForm;
class ScreenWindow;
class ScreenWindowHandler;
class SettingsStore;
class Timer;

// Thrown by `end_program` and caught only by the program's entry: the stack unwinds, so every
// window, control and worker the program made is released on the way out.
struct ProgramEnded {};

// The host's system-wide flags that the saver sets and clears.
enum SystemParameterAction : uint32_t {
  kSpiSetScreenSaveActive = 17,
  kSpiSetDeskWallpaper = 20,
  kSpiSetScreenSaverRunning = 97,
};

class Runtime {
 public:
  virtual ~Runtime() = default;

  // Handles the events that are waiting, then returns without waiting for more.
  virtual void yield() = 0;
  // Handles events, sleeping while there are none, and returns after handling some or when
  // the millisecond clock reaches `deadline_ms`, whichever comes first. A deadline already
  // reached behaves as `yield`. Loops that wait for a time call this, so they never spin.
  virtual void yield_until(int32_t deadline_ms) = 0;

  // A modal message box with an OK button only and no icon. A lone carriage return in the
  // prompt starts a new line.
  virtual void message_box(const std::string& prompt, const std::string& title) = 0;
  // Ends the program at once: nothing more of it runs. Throws `ProgramEnded`, never returns.
  [[noreturn]] virtual void end_program() = 0;

  // Is a top-level window captioned exactly `caption` open, in any process?
  virtual bool window_exists(const std::string& caption) = 0;
  // Claims the one instance called `name` for as long as the program runs: true when this program
  // holds the claim now, false when another program does. Of programs that claim the same name
  // at the same moment, exactly one gets it.
  virtual bool claim_instance(const std::string& name) = 0;
  // The display count of the mouse cursor: moves it by one and returns the new count; the
  // cursor is hidden on the program's windows while the count is below 0.
  virtual int show_cursor(bool show) = 0;
  // Sets one of the host's system flags; see `SystemParameterAction`.
  virtual void system_parameters(uint32_t action, int32_t value, const std::string& text, uint32_t flags) = 0;

  // The per-user folder the program may write files into, ending in "/"; empty when unknown.
  virtual std::string windows_dir() = 0;
  // Monotonic milliseconds as a wrapping signed 32-bit value (compare through clock.h).
  virtual int32_t time_get_time() = 0;
  // The arguments the program was started with, joined by blanks.
  virtual std::string command_line() = 0;
  virtual int screen_width() = 0;
  virtual int screen_height() = 0;
  // Twips (1/1440 inch) per screen pixel, vertically: 15 at 96 dots per inch.
  virtual double twips_per_pixel_y() = 0;
  // The whole screen as it is shown now, what the program has drawn included.
  virtual Surface screen_image() = 0;
  // Moves the mouse pointer to this point of the screen, in pixels.
  virtual void set_cursor_pos(int x, int y) = 0;

  // Opens a file or web address with the desktop's default program. Returns more than 32 on
  // success and 32 or less on failure.
  virtual int shell_execute(const std::string& file, const std::string& parameters, const std::string& folder,
                            int show) = 0;

  virtual SettingsStore& settings_store() = 0;

  // A new multimedia control (see mm_control.h).
  virtual std::unique_ptr<MMControl> create_mm_control() = 0;
  // Shows `form` modally: its load and activation run, then events are handled until the form
  // unloads itself (see controls.h). The form that was active before is activated again.
  virtual void show_modal(ModalForm& form) = 0;
  // Shows `form` modeless and returns at once: its load runs first if it is not loaded, then
  // the window is shown and activated. The program's events keep it in step until it unloads.
  virtual void show_modeless(ModalForm& form) = 0;

  // A new full-screen window with this caption, reporting to `handler` (see screen_window.h).
  virtual std::unique_ptr<ScreenWindow> create_screen_window(const std::string& caption,
                                                             ScreenWindowHandler& handler) = 0;

  // A uniform random draw R, 0 <= R < 1.
  virtual double rnd() = 0;
  // Re-seeds the random draws from the clock.
  virtual void randomize() = 0;

  // Is the key with this Windows virtual-key code held down now, or was it tapped (pressed, and
  // perhaps released again) since the last poll? A poll is the calls made without a yield between
  // them. Codes: 27 Esc, 32 Space, 37-40 arrows, 65-90 letters.
  virtual bool key_down(int virtual_key) = 0;
  // The frame loop calls this once per frame, after the point where the frame polls the keys,
  // whether it polled them or not. A tap counts for the poll that follows it and no later: taps
  // that came before the frame's poll, or that a frame without a poll passed over, no longer
  // count as down; taps that came after the frame's poll count for the next one.
  virtual void key_poll_done() = 0;

  // Called by `Timer` when it is started, stopped, changed or destroyed.
  virtual void timer_changed(Timer& timer) = 0;
  virtual void timer_removed(Timer& timer) = 0;
};

}  // namespace quarlyn
