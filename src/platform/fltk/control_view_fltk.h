// The widget behind one control of a form window, and what every kind of widget shares.
//
// Contract: the widget is a child of the form's window, which deletes it. `sync` brings the
// widget in step with its control (place, visibility, tooltip, then the kind's own
// properties); mouse motion and clicks go to the control's `MouseMove` and `Click` only while
// the form is loaded. `make_view` makes the view for a control's kind, or none.
#pragma once

#include <FL/Enumerations.H>
#include <FL/Fl_Widget.H>

#include <string>

#include "platform/controls.h"
#include "platform/fltk/dialog_look_fltk.h"

namespace quarlyn {

Fl_Color fl_colour(Pixel pixel);
// FLTK reads "@" in a label as the start of a symbol; doubled, it is drawn as itself.
std::string label_text(const std::string& text);
bool same_picture(const Surface& a, const Surface& b);
// Widgets drawn without a background of their own leave the window to paint what lies beneath.
void redraw_with_background(Fl_Widget& widget);
int shift_state();

// One control's widget. Widgets are children of the form's window, which deletes them.
class ControlView {
 public:
  ControlView(Control& control, const ModalForm& form) : control_(control), form_(form) {}
  virtual ~ControlView() = default;
  virtual Fl_Widget& widget() = 0;
  Control& control() { return control_; }

  // Place, visibility and tooltip, then what the kind of control adds.
  void sync();

 protected:
  // Takes the kind's own properties; `resized` tells that the place changed.
  virtual void sync_content(bool resized) = 0;
  // The position of the mouse in the control's own units.
  virtual void mouse_units(float& x, float& y);

  // Clicks and mouse motion; returns whether the event was taken.
  bool handle_mouse(int event);

  const ModalForm& form() const { return form_; }

 private:
  void sync_tooltip();

  Control& control_;
  const ModalForm& form_;
  std::string tooltip_;
};

ControlView* make_view(Control& control, const ModalForm& form);

}  // namespace quarlyn
