// Dialog windows as model objects: a form with controls at fixed pixel places. The real runtime
// shows a form as a window with one widget per control and keeps model and widget in step; the
// test runtime keeps the model only, and tests type, click, tick and move the mouse through the
// same objects.
//
// Properties are plain fields: a handler changes them and the window follows at the next yield.
// Events are `std::function`s that the form sets; the runtime calls them from inside its yields.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/form.h"
#include "platform/surface.h"

namespace quarlyn {

class Control {
 public:
  virtual ~Control() = default;
  Rect bounds;
  bool visible = true;
  // Shown by the window system when the mouse rests over the control; empty: none. A text that
  // changes while the mouse is over the control shows anew.
  std::string ToolTipText;
  // Mouse button released over the control after being pressed on it.
  std::function<void()> Click;
  // The mouse moved over the control: buttons held (1 left, 2 right, 4 middle), shift state
  // (1 Shift, 2 Ctrl, 4 Alt) and the position in the control's own units (for an image, the
  // pixels of its picture).
  std::function<void(int button, int shift, float x, float y)> MouseMove;
};

// A picture stretched over the control's whole area; an empty picture shows nothing.
class Image : public Control {
 public:
  Surface picture;
};

enum class TextAlignment { kLeft, kRight, kCenter };

// Text drawn straight onto the window, over whatever lies beneath; it wraps at the control's
// width.
class Label : public Control {
 public:
  std::string Caption;
  bool FontBold = false;
  float FontSize = 8.25f;  // points, at 96 dots per inch
  TextAlignment Alignment = TextAlignment::kLeft;
  Pixel ForeColor = rgb(0, 0, 0);
};

// A one-line text box. Every key typed into it goes to `KeyPress` first (the character's
// code; Enter is 13); a handler may unload the form. Other keys then edit the text as usual,
// never beyond `max_length` characters (0: no limit).
class TextBox : public Control {
 public:
  std::string text;
  int max_length = 0;
  std::function<void(int character)> KeyPress;

  // Types one character as a person would: `KeyPress`, then the edit (printable characters
  // are appended while there is room; 8, backspace, removes the last one).
  void type(int character);
  void type_text(const std::string& characters);
};

// A push button showing its caption, or its picture when it has one. Enter and Space press it
// while it has the focus.
class CommandButton : public Control {
 public:
  std::string caption;
  Surface picture;
};

// A box with a caption beside it; `Value` is 1 while ticked, 0 otherwise.
class CheckBox : public Control {
 public:
  std::string Caption;
  Pixel ForeColor = rgb(0, 0, 0);
  int16_t Value = 0;
  // A click as a person makes it: the value flips, then `Click` runs.
  void click();
};

// A horizontal scroll bar from `Min` (left end) to `Max` (right end).
class HScrollBar : public Control {
 public:
  int16_t Value = 0;
  int16_t Min = 0;
  int16_t Max = 32767;
  int16_t SmallChange = 1;  // an arrow
  int16_t LargeChange = 1;  // the track beside the thumb
  std::function<void()> Change;
  // Moves the thumb as a person does, kept within Min and Max; `Change` runs when it moved.
  void scroll_to(int value);
};

// A captioned border around a group of controls; the controls keep their own form places.
class Frame : public Control {
 public:
  std::string Caption;
  Pixel ForeColor = rgb(0, 0, 0);
};

// A top-level window of controls, shown modal (`Runtime::show_modal`) or modeless
// (`Runtime::show_modeless`).
//
// - Loading: the first show marks the form loaded and runs `Form_Load`; a form unloaded there
//   is never shown. Showing it again after `Hide` or after a modal form over it closed does not
//   load it again.
// - `Form_Activate` runs each time the form becomes the program's active window: when shown,
//   when shown again after `Hide`, and when a modal form shown over it has closed.
// - `Unload` closes it whichever way: its handlers, or the window's close box (a form with a
//   caption has one). `Form_Unload` runs, a modal display ends, a modeless window goes away.
class ModalForm : public Form {
 public:
  std::string caption;  // empty: a window without a caption bar
  // A second name that the window search finds the window by, besides its caption.
  std::string search_name;
  std::vector<Control*> controls;  // in tab order, drawn in this order (later ones on top)
  Control* focus = nullptr;        // the control with the input focus

  std::function<void()> Form_Load;
  std::function<void()> Form_Activate;
  std::function<void()> Form_Unload;

  bool loaded() const { return loaded_; }
  bool shown() const { return shown_; }
  // Closes the form: `Form_Unload` runs, and a modal display of it ends.
  void Unload();
  // Takes the window off the screen; the form stays loaded.
  void Hide() { shown_ = false; }
  // Draws the control above all others: it moves to the end of `controls`. The window takes
  // the order the controls have when it is made, after `Form_Load`.
  void bring_to_front(Control& control);

  // Called by the runtimes.
  void mark_loaded() { loaded_ = true; }
  void mark_shown() { shown_ = true; }

 private:
  bool loaded_ = false;
  bool shown_ = false;
};

}  // namespace quarlyn
