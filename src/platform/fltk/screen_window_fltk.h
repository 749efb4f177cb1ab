// The full-screen window of screen_window.h on a real desktop: an FLTK window over the whole
// first screen, drawn from the shown surface through a SurfacePresenter.
//
// Contract, beyond `ScreenWindow`:
// - `show` sizes the window to the first screen, makes it full screen and maps it, then writes
//   the caption as WM_NAME and _NET_WM_NAME itself (without a window manager FLTK leaves a
//   full-screen window unnamed), so other processes find it by caption. The cursor is hidden on
//   it while the runtime's display count is below 0.
// - Keyboard: while shown, the window holds an active keyboard grab with owner events, so keys
//   meant for another client come to it, while the program's own dialogs still get theirs; and
//   it takes the input focus, as no window manager may hand it over. A grab or focus refused
//   (another client's grab, a window not yet viewable) is retried at yields for a few seconds.
// - `present` runs at the start of every runtime yield (the runtime calls it for each enrolled
//   window): it schedules the first activation and retries the grab and focus. With
//   `with_changes`, which the runtime passes at its waits only, it also takes the surface's
//   changes and damages them, so the same wait draws them: a frame's steps may yield many times,
//   and the server is woken once, at the frame's wait. Of the changed areas only the tiles whose
//   pixels differ from what was last presented are drawn.
// - Activation: the first one arrives from a timeout armed by the first yield after `show`.
//   Each time the window gets the keyboard focus back after losing it (to another client or to
//   one of the program's dialogs), another one arrives, also from a timeout.
// - Key presses and releases also go to `RealRuntime::key_event`, for `key_down`; the keys held
//   are forgotten whenever the window loses the keyboard (another window of the program or a
//   grab takes it, or the window closes), as their releases no longer come here.
// - `close` and the destructor release the grab and hide the window; nothing reaches the handler
//   after them. The window may be closed or destroyed from inside any of its handler's calls.
// - The time box is drawn by the window itself, after the play screen, at every draw that
//   touches its area: white text centred on a dimmed copy of what lies beneath (24 points taken
//   as 32 pixels). Changes of the play screen under it are drawn around it, so it does not
//   flicker. A new text shows at the next yield; hiding the box puts back what lies beneath.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fltk/surface_presenter.h"
#include "platform/screen_window.h"

namespace quarlyn {

class RealRuntime;

class FltkScreenWindow final : public ScreenWindow {
 public:
  FltkScreenWindow(RealRuntime& runtime, std::string caption, ScreenWindowHandler& handler);
  ~FltkScreenWindow() override;
  FltkScreenWindow(const FltkScreenWindow&) = delete;
  FltkScreenWindow& operator=(const FltkScreenWindow&) = delete;

  void show() override;
  void close() override;
  bool shown() const override { return shown_; }
  void show_surface(Surface& screen) override;
  void set_time_box(const std::string& text, bool visible) override;
  void move(const Rect& bounds) override;

  void present(bool with_changes);
  SurfacePresenter::Path present_path() const { return presenter_.path(); }

 private:
  class View;

  static void activate_now(void* self);
  static int note_focus_event(void* event, void* unused);
  void take_input();
  void collect_changes();
  void draw_view(bool exposed);
  bool draw_changes();
  bool draw_differing_tiles(const Rect& area);
  void draw_everything();
  bool draw_surface_area(const Rect& area);
  Rect surface_place() const;
  void draw_time_box();
  void view_resized(bool size_changed);
  void focus_changed(bool focused);

  RealRuntime& runtime_;
  std::string caption_;
  ScreenWindowHandler& handler_;
  // Owned; handed to Fl::delete_widget on destruction, as this may run inside its event handling.
  View* view_;
  Surface* surface_ = nullptr;
  std::vector<Rect> pending_;
  // Reused for every yield's changes, so presenting takes no memory in the frame loop.
  std::vector<Rect> changes_;
  SurfacePresenter presenter_;
  bool redraw_all_ = true;
  int drawn_width_ = 0;
  int drawn_height_ = 0;
  bool shown_ = false;
  bool activation_due_ = false;
  bool activated_ = false;
  bool has_focus_ = false;
  bool focus_lost_ = false;
  bool grabbed_ = false;
  bool focused_ = false;
  int32_t input_deadline_ms_ = 0;
  std::string time_text_;
  bool time_visible_ = false;
  bool time_box_dirty_ = false;
};

}  // namespace quarlyn
