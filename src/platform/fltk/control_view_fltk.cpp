#include "platform/fltk/control_view_fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Tooltip.H>
#include <FL/Fl_Window.H>

#include <cstring>

#include "platform/fltk/list_views_fltk.h"
#include "platform/fltk/simple_views_fltk.h"

namespace quarlyn {

namespace {

bool same_place(const Fl_Widget& widget, const Rect& bounds) {
  return widget.x() == bounds.left && widget.y() == bounds.top && widget.w() == bounds.width &&
         widget.h() == bounds.height;
}

int mouse_buttons() {
  const int state = Fl::event_state();
  return ((state & FL_BUTTON1) != 0 ? 1 : 0) | ((state & FL_BUTTON3) != 0 ? 2 : 0) |
         ((state & FL_BUTTON2) != 0 ? 4 : 0);
}

}  // namespace

Fl_Color fl_colour(Pixel pixel) {
  return fl_rgb_color(static_cast<uchar>(pixel >> 16), static_cast<uchar>(pixel >> 8), static_cast<uchar>(pixel));
}

std::string label_text(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    escaped += c;
    if (c == '@') escaped += '@';
  }
  return escaped;
}

bool same_picture(const Surface& a, const Surface& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  const size_t row_bytes = static_cast<size_t>(a.width()) * sizeof(Pixel);
  for (int y = 0; y < a.height(); ++y) {
    if (std::memcmp(a.row(y), b.row(y), row_bytes) != 0) return false;
  }
  return true;
}

void redraw_with_background(Fl_Widget& widget) {
  if (Fl_Window* window = widget.window()) {
    window->damage(FL_DAMAGE_ALL, widget.x(), widget.y(), widget.w(), widget.h());
  } else {
    widget.redraw();
  }
}

int shift_state() {
  const int state = Fl::event_state();
  return ((state & FL_SHIFT) != 0 ? 1 : 0) | ((state & FL_CTRL) != 0 ? 2 : 0) | ((state & FL_ALT) != 0 ? 4 : 0);
}

void ControlView::sync() {
  Fl_Widget& w = widget();
  const bool moved = !same_place(w, control_.bounds);
  if (moved) {
    redraw_with_background(w);
    w.resize(control_.bounds.left, control_.bounds.top, control_.bounds.width, control_.bounds.height);
  }
  if (control_.visible != (w.visible() != 0)) {
    if (control_.visible) {
      w.show();
    } else {
      w.hide();
    }
    redraw_with_background(w);
  }
  sync_tooltip();
  sync_content(moved);
}

void ControlView::mouse_units(float& x, float& y) {
  x = static_cast<float>(Fl::event_x() - widget().x());
  y = static_cast<float>(Fl::event_y() - widget().y());
}

bool ControlView::handle_mouse(int event) {
  if (!form_.loaded()) return false;
  switch (event) {
    // Entering is a move too: the pointer may jump onto the control in one step.
    case FL_ENTER:
    case FL_MOVE:
    case FL_DRAG:
      if (control_.MouseMove) {
        float x = 0;
        float y = 0;
        mouse_units(x, y);
        control_.MouseMove(mouse_buttons(), shift_state(), x, y);
      }
      return event != FL_DRAG;
    case FL_PUSH:
      return static_cast<bool>(control_.Click);
    case FL_RELEASE:
      if (control_.Click && Fl::event_inside(&widget())) control_.Click();
      return true;
    default:
      return false;
  }
}

void ControlView::sync_tooltip() {
  if (control_.ToolTipText == tooltip_) return;
  tooltip_ = control_.ToolTipText;
  Fl_Widget& w = widget();
  w.copy_tooltip(tooltip_.empty() ? nullptr : tooltip_.c_str());
  // FLTK reads a tooltip only when the mouse enters a widget: a new text for the widget under
  // the mouse is handed over here, the old one taken down first (FLTK would keep showing it
  // when the new text happens to get the old one's address).
  if (Fl::belowmouse() == &w) {
    Fl_Tooltip::exit(nullptr);
    if (w.tooltip() != nullptr) Fl_Tooltip::enter_area(&w, 0, 0, w.w(), w.h(), w.tooltip());
  }
}

ControlView* make_view(Control& control, const ModalForm& form) {
  if (ControlView* view = make_simple_view(control, form)) return view;
  return make_list_view(control, form);
}

}  // namespace quarlyn
