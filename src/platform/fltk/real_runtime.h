// The runtime on a real desktop: FLTK 1.3 for windows, events and timers, Xlib for what FLTK
// does not reach.
//
// Contract, beyond `Runtime`:
// - The X display opens only when something needs it (a window, the screen size, the window
//   search, the screen-saver hold). Constructing the runtime, the clock, the command line, the
//   data folder and the settings store all work without any display.
// - `yield` is one `Fl::check()`; `yield_until` one `Fl::wait()` bounded by the deadline, so
//   timers and window events run only inside them (and inside `message_box`).
// - Timers are FLTK timeouts; a timer's handler may stop, change or destroy its timer.
// - `show_cursor` applies the count to every shown window of the program; windows shown later
//   consult `cursor_hidden()`.
// - `system_parameters`: "screen saver active" 0 holds off the X server's own screen saver
//   until it is set to anything else (or the program ends); the flags and the wallpaper path are
//   only recorded, for the getters below.
// - `windows_dir` is "$XDG_DATA_HOME/<application>/" (XDG_DATA_HOME only when absolute), else
//   "$HOME/.local/share/<application>/"; it is not created.
// - `shell_execute` runs xdg-open; see shell_open.h for its results. Openers still running are
//   collected in later yields.
#pragma once

#include <cstdint>
#include <string>

#include "platform/fltk/shell_open.h"
#include "platform/runtime.h"

namespace quarlyn {

class RealRuntime final : public Runtime {
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
  int show_cursor(bool show) override;
  void system_parameters(uint32_t action, int32_t value, const std::string& text, uint32_t flags) override;

  std::string windows_dir() override;
  int32_t time_get_time() override;
  std::string command_line() override;
  int screen_width() override;
  int screen_height() override;

  int shell_execute(const std::string& file, const std::string& parameters, const std::string& folder,
                    int show) override;

  SettingsStore& settings_store() override { return store_; }

  void timer_changed(Timer& timer) override;
  void timer_removed(Timer& timer) override;

  // Handles events for as long as one of the program's windows is shown.
  void run_until_closed();

  bool cursor_hidden() const { return cursor_count_ < 0; }
  bool screen_saver_running() const { return screen_saver_running_; }
  bool screen_saver_active() const { return screen_saver_active_; }
  const std::string& wallpaper() const { return wallpaper_; }

 private:
  void hold_off_screen_saver(bool hold);

  std::string command_line_;
  std::string application_;
  SettingsStore& store_;
  DesktopOpener opener_;
  int cursor_count_ = 0;
  bool screen_saver_running_ = false;
  bool screen_saver_active_ = true;
  bool screen_saver_held_ = false;
  std::string wallpaper_;
};

}  // namespace quarlyn
