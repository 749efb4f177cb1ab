// Dialog windows as model objects: a form with pictures, text boxes and buttons at fixed pixel
// places. The real runtime shows a form as a window with one widget per control and keeps model
// and widget in step; the test runtime keeps the model only, and tests type and click through
// the same objects.
#pragma once

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
};

// A picture stretched over the control's whole area; an empty picture shows nothing.
class Image : public Control {
 public:
  Surface picture;
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

class CommandButton : public Control {
 public:
  std::string caption;
  std::function<void()> Click;
};

class ModalForm : public Form {
 public:
  std::string caption;  // empty: a window without a caption bar
  std::vector<Control*> controls;  // in tab order
  Control* focus = nullptr;        // the control with the input focus

  std::function<void()> Form_Load;
  std::function<void()> Form_Activate;
  std::function<void()> Form_Unload;

  bool loaded() const { return loaded_; }
  // Closes the form: `Form_Unload` runs, and a modal display of it ends.
  void Unload();
  // Called by the runtime when it shows the form.
  void mark_loaded() { loaded_ = true; }

 private:
  bool loaded_ = false;
};

}  // namespace quarlyn
