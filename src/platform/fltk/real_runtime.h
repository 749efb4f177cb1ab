// The runtime on a real desktop: FLTK 1.3 for windows, events and timers, Xlib for what FLTK
// does not reach.
//
// Contract, beyond `Runtime`:
// - The X display opens only when something needs it (a window, the screen size, the window
//   search, the screen-saver hold). Constructing the runtime, the clock, the command line, the
//   data folder and the settings store all work without any display.
// - `yield` is one `Fl::check()`; `yield_until` one `Fl::wait()` bounded by the deadline, so
//   timers and window events run only inside them (and inside `message_box` and
//   `show_modal`). `yield_until` first lets every screen window present its surface's changes,
//   so the same wait draws them; a bare `yield` draws none, so the many yields inside one frame's
//   steps wake the X server no more than the frame's one wait does.
// - Timers are FLTK timeouts; a timer's handler may stop, change or destroy its timer.
// - `show_cursor` applies the count to every shown window of the program; windows shown later
//   consult `cursor_hidden()`.
// - `system_parameters`: "screen saver active" 0 holds off the X server's own screen saver
//   until it is set to anything else (or the program ends); the flags and the wallpaper path are
//   recorded, for the getters below. "Set the desktop wallpaper" reads the picture file and,
//   when it can be read, makes it the root window's published background (see
//   x11/root_window.h) and hands the file to the desktop's own wallpaper setting (see
//   fltk/desktop_wallpaper.h); no result is looked at.
// - `screen_image` first draws what the screen windows have pending, then reads the root window.
// - `twips_per_pixel_y` follows the first screen's vertical resolution as FLTK reports it.
// - `windows_dir` is "$XDG_DATA_HOME/<application>/" (XDG_DATA_HOME only when absolute), else
//   "$HOME/.local/share/<application>/"; it is not created.
// - `shell_execute` runs xdg-open, or the file itself when it is a program; see shell_open.h for
//   its results. While it awaits xdg-open's outcome it yields, so timers and window events run
//   inside it. The show command is not used. Openers and programs still running are collected
//   in later yields.
// - Multimedia controls play through the sound module (see audio_output.h), loaded at the first
//   "Play" of any control; the runtime owns its one output, which closes with the runtime, so
//   every control must be destroyed before the runtime.
// - `end_program` throws `ProgramEnded` for the program's entry to catch; the runtime, destroyed
//   after every window and control, then stops the sound's workers and closes its device.
//   SIGTERM, SIGINT and SIGHUP end the program the same way, from inside a yield (see
//   fltk/end_signals.h), until the runtime is destroyed.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/fltk/end_signals.h"
#include "platform/fltk/shell_open.h"
#include "platform/random_source.h"
#include "platform/runtime.h"

namespace quarlyn {

class AudioOutput;
class FltkScreenWindow;
class ModelessWindows;

class RealRuntime : public Runtime {
 public:
  RealRuntime(int argc, char** argv, const std::string& application, SettingsStore& store);
  ~RealRuntime() override;
  RealRuntime(const RealRuntime&) = delete;
  RealRuntime& operator=(const RealRuntime&) = delete;

  void yield() override;
  void yield_until(int32_t deadline_ms) override;

  void message_box(const std::string& prompt, const std::string& title) override;
  [[noreturn]] void end_program() override;

  bool window_exists(const std::string& caption) override;
  // The claim is an X selection named after the application and `name`, owned on the display.
  bool claim_instance(const std::string& name) override;
  int show_cursor(bool show) override;
  void system_parameters(uint32_t action, int32_t value, const std::string& text, uint32_t flags) override;

  std::string windows_dir() override;
  int32_t time_get_time() override;
  std::string command_line() override;
  int screen_width() override;
  int screen_height() override;
  double twips_per_pixel_y() override;
  Surface screen_image() override;
  void set_cursor_pos(int x, int y) override;

  int shell_execute(const std::string& file, const std::string& parameters, const std::string& folder,
                    int show) override;

  SettingsStore& settings_store() override { return store_; }
  std::unique_ptr<MMControl> create_mm_control() override;
  // See modal_form_fltk.h; screen windows go on presenting while the form is up.
  void show_modal(ModalForm& form) override;
  // See form_window_fltk.h.
  void show_modeless(ModalForm& form) override;
  std::unique_ptr<ScreenWindow> create_screen_window(const std::string& caption,
                                                     ScreenWindowHandler& handler) override;
  // Screen windows enrol for their lifetime; see `yield`.
  void enrol_screen_window(FltkScreenWindow& window);
  void withdraw_screen_window(FltkScreenWindow& window);
  double rnd() override { return random_.draw(); }
  void randomize() override { random_.reseed(time_get_time()); }
  bool key_down(int virtual_key) override;
  void key_poll_done() override;

  // Key events of the saver window, by Windows virtual-key code and X keycode. A key pressed and
  // released between two polls still counts as down at the next poll. A held key counts as down
  // only while the keyboard still has it down (one keymap query per poll), as its release may
  // go to another window.
  void key_event(int virtual_key, unsigned int keycode, bool down);
  // The saver window lost the keyboard: presses and releases from now on go elsewhere.
  void forget_held_keys() { held_keys_.clear(); }

  void timer_changed(Timer& timer) override;
  void timer_removed(Timer& timer) override;

  // Handles events for as long as one of the program's windows is shown.
  void run_until_closed();
  // Takes down the windows of modeless forms, which look at their forms until they go: for the
  // end of the program, before the forms are destroyed.
  void close_modeless_windows();

  bool cursor_hidden() const { return cursor_count_ < 0; }
  bool screen_saver_running() const { return screen_saver_running_; }
  bool screen_saver_active() const { return screen_saver_active_; }
  const std::string& wallpaper() const { return wallpaper_; }

 private:
  void hold_off_screen_saver(bool hold);
  void forget_polled_taps();
  void drop_released_keys();
  void set_desktop_background(const std::string& path);
  void present_screen_windows(bool with_changes);

  std::string command_line_;
  std::string application_;
  SettingsStore& store_;
  // Outlives the sound output, so that a signal cannot cut its release short.
  EndSignals end_signals_{[this] { end_program(); }};
  DesktopOpener opener_;
  int cursor_count_ = 0;
  bool screen_saver_running_ = false;
  bool screen_saver_active_ = true;
  bool screen_saver_held_ = false;
  std::string wallpaper_;
  RandomSource random_;
  std::map<unsigned int, int> held_keys_;  // X keycode to virtual-key code
  std::set<int> tapped_keys_;
  bool polled_since_yield_ = false;  // key_down was called since the last yield began
  bool frame_polled_ = false;        // a poll came since the last key_poll_done
  std::vector<FltkScreenWindow*> screen_windows_;
  std::unique_ptr<AudioOutput> audio_output_;  // made at the first "Play"
  bool audio_module_tried_ = false;
  std::unique_ptr<ModelessWindows> modeless_windows_;  // made at the first modeless form
  ModalForm* active_form_ = nullptr;  // the form last shown or activated again
};

}  // namespace quarlyn
