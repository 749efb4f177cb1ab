#include "platform/fltk/screen_window_fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/fltk/real_runtime.h"
#include "platform/fltk/virtual_keys.h"
#include "platform/x11/x11_host.h"

namespace quarlyn {
namespace {

// How long after `show` a refused keyboard grab or focus is tried again.
constexpr int32_t kInputRetryMs = 5000;
// Past this many rectangles waiting for one draw, drawing everything is cheaper.
constexpr size_t kMaxPending = 256;

enum ShiftBits { kShiftBit = 1, kControlBit = 2, kAltBit = 4 };

int shift_state(int fltk_state) {
  return ((fltk_state & FL_SHIFT) != 0 ? kShiftBit : 0) | ((fltk_state & FL_CTRL) != 0 ? kControlBit : 0) |
         ((fltk_state & FL_ALT) != 0 ? kAltBit : 0);
}

// The key of the X event being handled, by which the keyboard's state is queried.
unsigned int event_keycode() {
  const bool key_event = fl_xevent != nullptr && (fl_xevent->type == KeyPress || fl_xevent->type == KeyRelease);
  return key_event ? fl_xevent->xkey.keycode : 0;
}

// WM_NAME is STRING when the caption is plain ASCII, as most readers expect; UTF8_STRING when
// STRING (Latin-1) could not carry it.
void set_caption(Display* display, Window window, const std::string& caption) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(caption.data());
  const int length = static_cast<int>(caption.size());
  const bool ascii = std::all_of(caption.begin(), caption.end(), [](char c) { return (c & 0x80) == 0; });
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  XChangeProperty(display, window, XA_WM_NAME, ascii ? XA_STRING : utf8, 8, PropModeReplace, bytes, length);
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8, PropModeReplace, bytes,
                  length);
  XFlush(display);
}

Rect clip_to_surface(const Rect& area, const Surface& surface) {
  const int left = std::max(area.left, 0);
  const int top = std::max(area.top, 0);
  const int right = std::min(area.left + area.width, surface.width());
  const int bottom = std::min(area.top + area.height, surface.height());
  if (right <= left || bottom <= top) return {};
  return {left, top, right - left, bottom - top};
}

void fill_black(int x, int y, int width, int height) {
  if (width > 0 && height > 0) fl_rectf(x, y, width, height, FL_BLACK);
}

// The time box, in play-screen coordinates: it stands beside the well wherever the play screen
// is centred.
constexpr Rect kTimeBox{462, 340, 117, 46};
// 24 points at the 96 dots per inch the layout was made for.
constexpr int kTimeFontPixels = 32;

bool overlaps(const Rect& a, const Rect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

// The parts of `area` outside `hole`, which overlaps it: the bands above and below the hole,
// then the pieces left and right of it. Empty parts have no width or height.
std::array<Rect, 4> outside(const Rect& area, const Rect& hole) {
  const int left = std::max(area.left, hole.left);
  const int top = std::max(area.top, hole.top);
  const int right = std::min(area.left + area.width, hole.left + hole.width);
  const int bottom = std::min(area.top + area.height, hole.top + hole.height);
  return {{{area.left, area.top, area.width, top - area.top},
           {area.left, bottom, area.width, area.top + area.height - bottom},
           {area.left, top, left - area.left, bottom - top},
           {right, top, area.left + area.width - right, bottom - top}}};
}

// Changes are compared with what was last presented in tiles of this size, so a change that
// puts back the same pixels (a whole play screen rebuilt for a few new cells) sends only the
// tiles that really differ.
constexpr int kTile = 32;

// What the window shows under the time box, dimmed and tinted while the box is shown so that
// white text stands out on any play screen.
struct BoxBackground {
  const Surface& surface;
  bool dim;
};

uchar box_channel(Pixel pixel, int shift, int tint, bool dim) {
  const int value = static_cast<int>((pixel >> shift) & 0xFF);
  return static_cast<uchar>(dim ? value * 3 / 8 + tint : value);
}

void box_background_row(void* data, int x, int y, int width, uchar* buffer) {
  const auto& background = *static_cast<const BoxBackground*>(data);
  for (int i = 0; i < width; ++i) {
    const Pixel pixel = background.surface.pixel(kTimeBox.left + x + i, kTimeBox.top + y);
    buffer[3 * i] = box_channel(pixel, 16, 0x08, background.dim);
    buffer[3 * i + 1] = box_channel(pixel, 8, 0x0C, background.dim);
    buffer[3 * i + 2] = box_channel(pixel, 0, 0x20, background.dim);
  }
}

}  // namespace

// Single-buffered on purpose: a back buffer would copy the whole screen at every frame, while
// drawing straight to the window costs only the changed rectangles.
class FltkScreenWindow::View final : public Fl_Window {
 public:
  View(FltkScreenWindow& owner, int width, int height) : Fl_Window(0, 0, width, height), owner_(&owner) {
    end();
    callback(ignore_close);
  }

  FltkScreenWindow* owner() const { return owner_; }
  void detach() { owner_ = nullptr; }

  int handle(int event) override;
  void draw() override;
  void resize(int x, int y, int width, int height) override;

 private:
  // The handler decides when the window closes, not the window manager.
  static void ignore_close(Fl_Widget*, void*) {}
  bool live() const { return owner_ != nullptr && owner_->shown_; }
  void key_pressed();

  FltkScreenWindow* owner_;
};

int FltkScreenWindow::View::handle(int event) {
  switch (event) {
    case FL_KEYDOWN:
    case FL_SHORTCUT:
      if (live()) key_pressed();
      return 1;
    case FL_KEYUP:
      if (live()) owner_->runtime_.key_event(virtual_key_code(Fl::event_key()), event_keycode(), false);
      return 1;
    case FL_MOVE:
    case FL_DRAG:
      Fl_Window::handle(event);
      if (live()) owner_->handler_.Form_MouseMove();
      return 1;
    case FL_PUSH:
    case FL_RELEASE:
      return 1;
    default:
      return Fl_Window::handle(event);
  }
}

// The event's text is read first: the handler may yield, and later events replace it. Each call
// may close or destroy the window, so liveness is checked between them.
void FltkScreenWindow::View::key_pressed() {
  const int code = virtual_key_code(Fl::event_key());
  const int shift = shift_state(Fl::event_state());
  const int character = typed_character(std::string_view(Fl::event_text(), static_cast<size_t>(Fl::event_length())));
  owner_->runtime_.key_event(code, event_keycode(), true);
  owner_->handler_.Form_KeyDown(code, shift);
  if (character >= 0 && live()) owner_->handler_.ascreen_KeyPress(character);
}

void FltkScreenWindow::View::draw() {
  if (owner_ == nullptr) {
    fill_black(0, 0, w(), h());
    return;
  }
  owner_->draw_view((damage() & (FL_DAMAGE_ALL | FL_DAMAGE_EXPOSE)) != 0);
}

void FltkScreenWindow::View::resize(int x, int y, int width, int height) {
  const bool size_changed = width != w() || height != h();
  Fl_Window::resize(x, y, width, height);
  if (owner_ != nullptr) owner_->view_resized(size_changed);
}

FltkScreenWindow::FltkScreenWindow(RealRuntime& runtime, std::string caption, ScreenWindowHandler& handler)
    : runtime_(runtime),
      caption_(std::move(caption)),
      handler_(handler),
      view_(new View(*this, runtime.screen_width(), runtime.screen_height())) {
  view_->copy_label(caption_.c_str());
  runtime_.enrol_screen_window(*this);
}

FltkScreenWindow::~FltkScreenWindow() {
  close();
  runtime_.withdraw_screen_window(*this);
  view_->detach();
  Fl::delete_widget(view_);
}

void FltkScreenWindow::show() {
  if (shown_) return;
  view_->resize(0, 0, runtime_.screen_width(), runtime_.screen_height());
  view_->fullscreen();
  view_->show();
  Fl::add_system_handler(note_focus_event, nullptr);
  set_caption(fl_display, fl_xid(view_), caption_);
  if (runtime_.cursor_hidden()) view_->cursor(FL_CURSOR_NONE);
  shown_ = true;
  activation_due_ = true;
  activated_ = false;
  has_focus_ = false;
  focus_lost_ = false;
  grabbed_ = false;
  focused_ = false;
  redraw_all_ = true;
  input_deadline_ms_ = clock_add(runtime_.time_get_time(), kInputRetryMs);
  take_input();
}

void FltkScreenWindow::close() {
  Fl::remove_timeout(activate_now, this);
  activation_due_ = false;
  if (!shown_) return;
  shown_ = false;
  Fl::remove_system_handler(note_focus_event);
  runtime_.forget_held_keys();
  // Also ends the grab FLTK may have taken for the window by itself.
  XUngrabKeyboard(fl_display, CurrentTime);
  grabbed_ = false;
  view_->hide();
  // Synchronous, so the keyboard is free for other clients once this returns.
  XSync(fl_display, False);
  pending_.clear();
}

void FltkScreenWindow::show_surface(Surface& screen) {
  surface_ = &screen;
  screen.track_changes(true);
  screen.take_changes();
  pending_.clear();
  redraw_all_ = true;
  if (shown_) view_->damage(FL_DAMAGE_USER1);
}

void FltkScreenWindow::set_time_box(const std::string& text, bool visible) {
  if (text == time_text_ && visible == time_visible_) return;
  time_box_dirty_ = time_box_dirty_ || visible || time_visible_;
  time_text_ = text;
  time_visible_ = visible;
  if (shown_ && time_box_dirty_) view_->damage(FL_DAMAGE_USER1);
}

void FltkScreenWindow::move(const Rect& bounds) { view_->resize(bounds.left, bounds.top, bounds.width, bounds.height); }

void FltkScreenWindow::present(bool with_changes) {
  if (!shown_) return;
  if (activation_due_) {
    activation_due_ = false;
    Fl::add_timeout(0.0, activate_now, this);
  }
  take_input();
  if (with_changes) collect_changes();
}

void FltkScreenWindow::activate_now(void* self) {
  auto& window = *static_cast<FltkScreenWindow*>(self);
  if (!window.shown_) return;
  window.activated_ = true;
  window.handler_.Form_Activate();
}

// With owner events the program's own dialogs still receive their keys during the grab; only
// keys that would go to other clients are redirected here. Fl::grab is not used: it would also
// take the pointer and route every event of the program's dialogs to this window. FLTK grabs by
// itself for a full-screen window without a window manager, but only once and not with one.
void FltkScreenWindow::take_input() {
  if ((grabbed_ && focused_) || clock_reached(runtime_.time_get_time(), input_deadline_ms_)) return;
  const Window window = fl_xid(view_);
  // Focus first: grabbing for the window that has the focus already stirs no focus events.
  if (!focused_) focused_ = focus_if_viewable(fl_display, window);
  if (!grabbed_) {
    grabbed_ = XGrabKeyboard(fl_display, window, True, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
  }
}

void FltkScreenWindow::collect_changes() {
  if (surface_ == nullptr) return;
  surface_->take_changes(changes_);
  if (surface_->width() != drawn_width_ || surface_->height() != drawn_height_) redraw_all_ = true;
  if (!redraw_all_) pending_.insert(pending_.end(), changes_.begin(), changes_.end());
  if (pending_.size() > kMaxPending) redraw_all_ = true;
  if (redraw_all_) pending_.clear();
  if (redraw_all_ || !pending_.empty()) view_->damage(FL_DAMAGE_USER1);
}

// A draw that covers the time box's area puts the box back over it.
void FltkScreenWindow::draw_view(bool exposed) {
  const bool everything = exposed || redraw_all_ || surface_ == nullptr;
  bool under_box = everything;
  if (everything) {
    draw_everything();
  } else {
    under_box = draw_changes();
  }
  if (time_box_dirty_ || (time_visible_ && under_box)) draw_time_box();
  if (exposed && shown_) handler_.Form_Paint();
}

// Returns whether a drawn change lay under the shown time box.
bool FltkScreenWindow::draw_changes() {
  bool under_box = false;
  for (const Rect& change : pending_) {
    const Rect area = clip_to_surface(change, *surface_);
    if (area.width > 0) under_box = draw_differing_tiles(area) || under_box;
  }
  pending_.clear();
  return under_box;
}

// Draws the tiles of `area` whose pixels differ from what was presented; neighbours in one row of
// tiles go together as one rectangle.
bool FltkScreenWindow::draw_differing_tiles(const Rect& area) {
  bool under_box = false;
  const int right = area.left + area.width;
  const int bottom = area.top + area.height;
  for (int top = area.top; top < bottom; top = (top / kTile + 1) * kTile) {
    const int height = std::min((top / kTile + 1) * kTile, bottom) - top;
    int run_left = -1;
    for (int left = area.left; left < right; left = (left / kTile + 1) * kTile) {
      const int width = std::min((left / kTile + 1) * kTile, right) - left;
      const bool differs = presenter_.update(*surface_, {left, top, width, height});
      if (differs && run_left < 0) run_left = left;
      if (!differs && run_left >= 0) {
        under_box = draw_surface_area({run_left, top, left - run_left, height}) || under_box;
        run_left = -1;
      }
    }
    if (run_left >= 0) under_box = draw_surface_area({run_left, top, right - run_left, height}) || under_box;
  }
  return under_box;
}

void FltkScreenWindow::draw_everything() {
  const int width = view_->w();
  const int height = view_->h();
  pending_.clear();
  redraw_all_ = false;
  drawn_width_ = surface_ != nullptr ? surface_->width() : 0;
  drawn_height_ = surface_ != nullptr ? surface_->height() : 0;
  if (drawn_width_ == 0 || drawn_height_ == 0) {
    fill_black(0, 0, width, height);
    return;
  }
  const Rect place = surface_place();
  fill_black(0, 0, width, place.top);
  fill_black(0, place.top + drawn_height_, width, height - place.top - drawn_height_);
  fill_black(0, place.top, place.left, drawn_height_);
  fill_black(place.left + drawn_width_, place.top, width - place.left - drawn_width_, drawn_height_);
  presenter_.reset(*surface_);
  draw_surface_area({0, 0, drawn_width_, drawn_height_});
}

// Draws an area of the surface, leaving out the part under the shown time box, which is redrawn
// over it afterwards; drawing it twice would flicker. Returns whether it met the box.
bool FltkScreenWindow::draw_surface_area(const Rect& area) {
  const Rect place = surface_place();
  if (!time_visible_ || !overlaps(area, kTimeBox)) {
    presenter_.send(*surface_, area, place.left + area.left, place.top + area.top);
    return false;
  }
  for (const Rect& part : outside(area, kTimeBox)) {
    if (part.width > 0 && part.height > 0) presenter_.send(*surface_, part, place.left + part.left, place.top + part.top);
  }
  return true;
}

// Where the surface shows, centred in the window.
Rect FltkScreenWindow::surface_place() const {
  if (surface_ == nullptr) return {};
  const int width = surface_->width();
  const int height = surface_->height();
  return {(view_->w() - width) / 2, (view_->h() - height) / 2, width, height};
}

void FltkScreenWindow::draw_time_box() {
  time_box_dirty_ = false;
  const Rect place = surface_place();
  const Rect box{place.left + kTimeBox.left, place.top + kTimeBox.top, kTimeBox.width, kTimeBox.height};
  const Surface empty;
  BoxBackground background{surface_ != nullptr ? *surface_ : empty, time_visible_};
  fl_draw_image(box_background_row, &background, box.left, box.top, box.width, box.height, 3);
  if (!time_visible_) return;
  fl_push_clip(box.left, box.top, box.width, box.height);
  fl_font(FL_HELVETICA_BOLD, kTimeFontPixels);
  fl_color(FL_WHITE);
  fl_draw(time_text_.c_str(), box.left, box.top, box.width, box.height, FL_ALIGN_CENTER, nullptr, 0);
  fl_pop_clip();
}

void FltkScreenWindow::view_resized(bool size_changed) {
  Form::move({view_->x(), view_->y(), view_->w(), view_->h()});
  if (!size_changed) return;
  redraw_all_ = true;
  if (!shown_) return;
  view_->damage(FL_DAMAGE_USER1);
  handler_.Form_Resize();
}

// X's focus events, read before FLTK turns them into FL_FOCUS and FL_UNFOCUS: those also come
// from the grab and from the focus moving off the pointer root onto this same window, which
// change nothing for the handler. The function keeps no state and each shown window adds it
// once, so FLTK removing any one of the identical entries (it removes by function) is right.
// Whatever takes the keyboard from the window (a grab, another window of this program) also takes
// the releases of the keys held in it, so any focus lost forgets them.
int FltkScreenWindow::note_focus_event(void* event, void*) {
  const XEvent& x = *static_cast<const XEvent*>(event);
  if ((x.type != FocusIn && x.type != FocusOut) || x.xfocus.detail == NotifyInferior) return 0;
  const auto* view = dynamic_cast<View*>(fl_find(x.xfocus.window));
  if (view == nullptr || view->owner() == nullptr) return 0;
  if (x.type == FocusOut) view->owner()->runtime_.forget_held_keys();
  if (x.xfocus.mode != NotifyGrab && x.xfocus.mode != NotifyUngrab) view->owner()->focus_changed(x.type == FocusIn);
  return 0;
}

// Losing the focus to one of the program's dialogs counts as well; the dialog closing puts the
// focus back on the pointer root, which is this window under the pointer.
void FltkScreenWindow::focus_changed(bool focused) {
  if (!shown_) return;
  if (!focused) {
    focus_lost_ = focus_lost_ || (has_focus_ && activated_);
    has_focus_ = false;
    return;
  }
  has_focus_ = true;
  if (!focus_lost_) return;
  focus_lost_ = false;
  Fl::add_timeout(0.0, activate_now, this);
}

}  // namespace quarlyn
