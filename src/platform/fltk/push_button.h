// A push button of the program's dialogs on a real desktop.
//
// Contract: besides a click, the button is pressed from the keyboard while it has the focus,
// by Space (as FLTK's own buttons are) and by Enter or keypad Enter (as a dialog's buttons are
// on Windows), each without Shift, Ctrl, Alt or Meta; a press runs the widget's callback once.
// Every dialog's buttons are of this class, so they all take Enter alike.
#pragma once

#include <FL/Fl_Button.H>

namespace quarlyn {

class PushButton : public Fl_Button {
 public:
  PushButton(int x, int y, int width, int height, const char* label = nullptr)
      : Fl_Button(x, y, width, height, label) {}

  int handle(int event) override;
};

}  // namespace quarlyn
