#include "platform/fltk/real_runtime.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

// X's event-type macro would replace the model's `KeyPress` member; no X event type is used here.
#undef KeyPress
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <vector>

#include "platform/audio_module.h"
#include "platform/clock.h"
#include "platform/controls.h"
#include "platform/deferred_mm_control.h"
#include "platform/fltk/desktop_wallpaper.h"
#include "platform/fltk/form_window_fltk.h"
#include "platform/fltk/message_box.h"
#include "platform/fltk/modal_form_fltk.h"
#include "platform/fltk/screen_window_fltk.h"
#include "platform/fltk/x_display.h"
#include "platform/mm_control.h"
#include "platform/picture_files.h"
#include "platform/timer.h"
#include "platform/user_folders.h"
#include "platform/x11/root_window.h"
#include "platform/x11/x11_host.h"

namespace quarlyn {
namespace {

std::string join_arguments(int argc, char** argv) {
  std::string joined;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) joined += ' ';
    joined += argv[i];
  }
  return joined;
}

std::string with_slash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// The repeat is scheduled before the handler runs, so whatever the handler does to its timer
// (stop it, change it, destroy it) reaches FLTK after this and wins; nothing here touches the
// timer once the handler has run.
void run_timer(void* data) {
  Timer& timer = *static_cast<Timer*>(data);
  if (!timer.armed()) return;
  Fl::repeat_timeout(timer.interval() / 1000.0, run_timer, data);
  timer.fire();
}

struct ScreenSize {
  int width = 0;
  int height = 0;
};

// The whole first screen, not FLTK's work area: a saver covers panels too.
ScreenSize first_screen_size() {
  open_x_display();
  int x = 0;
  int y = 0;
  ScreenSize size;
  Fl::screen_xywh(x, y, size.width, size.height, 0);
  return size;
}

timespec monotonic_now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now;
}

// Milliseconds of the monotonic clock, wrapped to 32 bits and read as a signed number.
int32_t clock_ms(const timespec& now) {
  const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000U + static_cast<uint64_t>(now.tv_nsec) / 1000000U;
  return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

}  // namespace

RealRuntime::RealRuntime(int argc, char** argv, const std::string& application, SettingsStore& store)
    : command_line_(join_arguments(argc, argv)), application_(application), store_(store) {}

RealRuntime::~RealRuntime() { hold_off_screen_saver(false); }

void RealRuntime::yield() {
  forget_polled_taps();
  present_screen_windows(false);
  Fl::check();
  opener_.reap();
}

void RealRuntime::yield_until(int32_t deadline_ms) {
  present_screen_windows(true);
  const timespec now = monotonic_now();
  const int32_t remaining = clock_diff(deadline_ms, clock_ms(now));
  if (remaining <= 0) {
    yield();
    return;
  }
  forget_polled_taps();
  // Wake at the very millisecond the deadline begins, not up to one later: the part of the
  // current millisecond already gone is taken off the wait.
  const double gone_of_this_ms = (now.tv_nsec % 1000000) / 1e6;
  Fl::wait((remaining - gone_of_this_ms) / 1000.0);
  opener_.reap();
}

// Presenting calls no handler, so no window enrols or withdraws during this loop.
void RealRuntime::present_screen_windows(bool with_changes) {
  for (FltkScreenWindow* window : screen_windows_) window->present(with_changes);
}

std::unique_ptr<ScreenWindow> RealRuntime::create_screen_window(const std::string& caption,
                                                                ScreenWindowHandler& handler) {
  return std::make_unique<FltkScreenWindow>(*this, caption, handler);
}

std::unique_ptr<MMControl> RealRuntime::create_mm_control() {
  return std::make_unique<DeferredMMControl>(*this, [this]() -> std::unique_ptr<MMControl> {
    if (!audio_module_tried_) audio_output_ = load_audio_module(*this, QUARLYN_AUDIO_MODULE_DIR, application_);
    audio_module_tried_ = true;
    return audio_output_ ? audio_output_->create_control() : nullptr;
  });
}

void RealRuntime::enrol_screen_window(FltkScreenWindow& window) { screen_windows_.push_back(&window); }

void RealRuntime::withdraw_screen_window(FltkScreenWindow& window) { std::erase(screen_windows_, &window); }

bool RealRuntime::key_down(int virtual_key) {
  if (!polled_since_yield_) drop_released_keys();
  polled_since_yield_ = true;
  const bool tapped = tapped_keys_.erase(virtual_key) > 0;
  return tapped || std::ranges::any_of(held_keys_, [&](const auto& held) { return held.second == virtual_key; });
}

// Once per poll, and only while a key is held: the query is a round trip to the server.
void RealRuntime::drop_released_keys() {
  if (held_keys_.empty()) return;
  const Keymap keys = query_keymap(fl_display);
  std::erase_if(held_keys_, [&](const auto& held) { return !key_held(keys, held.first); });
}

// Runs before a yield handles events: every tap still waiting came before the poll that just
// ended, which was its turn, while the taps this yield brings wait for the next poll.
void RealRuntime::forget_polled_taps() {
  if (!polled_since_yield_) return;
  polled_since_yield_ = false;
  frame_polled_ = true;
  tapped_keys_.clear();
}

// Taps left after a frame that polled, with a yield since, came after its poll and are kept.
void RealRuntime::key_poll_done() {
  if (polled_since_yield_ || !frame_polled_) tapped_keys_.clear();
  polled_since_yield_ = false;
  frame_polled_ = false;
}

void RealRuntime::key_event(int virtual_key, unsigned int keycode, bool down) {
  if (down) {
    held_keys_[keycode] = virtual_key;
    tapped_keys_.insert(virtual_key);
  } else {
    held_keys_.erase(keycode);
  }
}

void RealRuntime::run_until_closed() {
  while (Fl::first_window()) yield_until(clock_add(time_get_time(), 1000));
}

void RealRuntime::close_modeless_windows() { modeless_windows_.reset(); }

void RealRuntime::message_box(const std::string& prompt, const std::string& title) {
  show_message_box(prompt, title, cursor_hidden());
}

void RealRuntime::show_modal(ModalForm& form) {
  ModalForm* previous = active_form_ != nullptr && active_form_->shown() ? active_form_ : nullptr;
  active_form_ = &form;
  show_modal_form(form, cursor_hidden(), [this] { present_screen_windows(true); });
  active_form_ = previous;
  if (previous != nullptr && previous->shown() && previous->Form_Activate) previous->Form_Activate();
}

void RealRuntime::show_modeless(ModalForm& form) {
  if (!form.loaded()) {
    form.mark_loaded();
    if (form.Form_Load) form.Form_Load();
    if (!form.loaded()) return;
  }
  form.mark_shown();
  active_form_ = &form;
  if (!modeless_windows_) modeless_windows_ = std::make_unique<ModelessWindows>();
  modeless_windows_->show(form, cursor_hidden());
}

void RealRuntime::end_program() { throw ProgramEnded{}; }

bool RealRuntime::window_exists(const std::string& caption) {
  open_x_display();
  return window_captioned(fl_display, caption);
}

bool RealRuntime::claim_instance(const std::string& name) {
  open_x_display();
  return claim_selection(fl_display, application_ + ": " + name);
}

int RealRuntime::show_cursor(bool show) {
  const bool was_hidden = cursor_hidden();
  cursor_count_ += show ? 1 : -1;
  // Only a change of state is applied, so a cursor a widget chose (an input's I-beam) stays.
  if (cursor_hidden() != was_hidden) {
    const Fl_Cursor shape = cursor_hidden() ? FL_CURSOR_NONE : FL_CURSOR_DEFAULT;
    for (Fl_Window* window = Fl::first_window(); window != nullptr; window = Fl::next_window(window)) {
      window->cursor(shape);
    }
  }
  return cursor_count_;
}

void RealRuntime::system_parameters(uint32_t action, int32_t value, const std::string& text, uint32_t) {
  switch (action) {
    case kSpiSetScreenSaverRunning:
      screen_saver_running_ = value != 0;
      break;
    case kSpiSetScreenSaveActive:
      screen_saver_active_ = value != 0;
      hold_off_screen_saver(!screen_saver_active_);
      break;
    case kSpiSetDeskWallpaper:
      wallpaper_ = text;
      set_desktop_background(text);
      break;
    default:
      break;
  }
}

// Holds are counted per connection by the server, so only changes are sent: repeated calls
// stay balanced and one "active" always lifts the hold.
void RealRuntime::hold_off_screen_saver(bool hold) {
  if (hold == screen_saver_held_) return;
  open_x_display();
  if (suspend_screen_saver(fl_display, hold)) screen_saver_held_ = hold;
}

void RealRuntime::set_desktop_background(const std::string& path) {
  const std::optional<Surface> picture = load_picture(path);
  if (!picture) return;
  open_x_display();
  set_root_background(fl_display, *picture);
  if (const pid_t setter = start_desktop_wallpaper_setting(path); setter != 0) opener_.collect_later(setter);
}

std::string RealRuntime::windows_dir() {
  return with_slash(xdg_home_folder("XDG_DATA_HOME", ".local/share").string()) + application_ + "/";
}

int32_t RealRuntime::time_get_time() { return clock_ms(monotonic_now()); }

std::string RealRuntime::command_line() { return command_line_; }

int RealRuntime::screen_width() { return first_screen_size().width; }

int RealRuntime::screen_height() { return first_screen_size().height; }

double RealRuntime::twips_per_pixel_y() {
  constexpr double kTwipsPerInch = 1440;
  constexpr double kUsualDotsPerInch = 96;
  open_x_display();
  float horizontal = 0;
  float vertical = 0;
  Fl::screen_dpi(horizontal, vertical, 0);
  return kTwipsPerInch / (vertical > 0 ? vertical : kUsualDotsPerInch);
}

Surface RealRuntime::screen_image() {
  open_x_display();
  present_screen_windows(true);
  Fl::flush();
  return read_root_window(fl_display);
}

void RealRuntime::set_cursor_pos(int x, int y) {
  open_x_display();
  move_pointer(fl_display, x, y);
}

// The show command has no counterpart on X: a started program places its own windows.
int RealRuntime::shell_execute(const std::string& file, const std::string& parameters, const std::string& folder,
                               int) {
  return opener_.open(file, parameters, folder, [this](std::chrono::milliseconds step) {
    yield_until(clock_add(time_get_time(), static_cast<int32_t>(step.count())));
  });
}

void RealRuntime::timer_changed(Timer& timer) {
  Fl::remove_timeout(run_timer, &timer);
  if (timer.armed()) Fl::add_timeout(timer.interval() / 1000.0, run_timer, &timer);
}

void RealRuntime::timer_removed(Timer& timer) { Fl::remove_timeout(run_timer, &timer); }

}  // namespace quarlyn
