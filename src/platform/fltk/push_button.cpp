#include "platform/fltk/push_button.h"

#include <FL/Fl.H>

namespace quarlyn {

int PushButton::handle(int event) {
  const int key = Fl::event_key();
  const bool plain = (Fl::event_state() & (FL_SHIFT | FL_CTRL | FL_ALT | FL_META)) == 0;
  if (event == FL_KEYBOARD && Fl::focus() == this && (key == FL_Enter || key == FL_KP_Enter) && plain) {
    do_callback();
    return 1;
  }
  return Fl_Button::handle(event);
}

}  // namespace quarlyn
