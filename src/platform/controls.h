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
// width, and what does not fit inside the control is cut off.
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

// A list of text rows. With `MultiSelect` a person selects several rows the extended way:
// a click selects its row alone, Ctrl+click toggles a row, Shift+click selects the rows from
// the last plain or Ctrl click to this one. Without it, the clicked row alone is selected.
// `ListIndex` is the current row, -1 for none. A list holds at most 32767 rows; more are not
// taken.
class ListBox : public Control {
 public:
  bool MultiSelect = false;
  int16_t ListIndex = -1;
  std::function<void()> DblClick;

  int16_t ListCount() const { return static_cast<int16_t>(rows_.size()); }
  const std::string& List(int row) const { return rows_.at(static_cast<size_t>(row)); }
  bool Selected(int row) const { return selected_.at(static_cast<size_t>(row)); }
  void AddItem(const std::string& text);
  // Removes a row; the current row follows its text, or is none when it was the removed one.
  void RemoveItem(int row);
  void Clear();

  // A click as a person makes it on a row (shift: 1 Shift, 2 Ctrl): the selection changes,
  // the row becomes current, then `Click` runs.
  void click_row(int row, int shift = 0);
  // A double click: its first click, then `DblClick`.
  void double_click_row(int row);

 protected:
  void set_rows(std::vector<std::string> rows);

 private:
  std::vector<std::string> rows_;
  std::vector<bool> selected_;
  int anchor_ = 0;
};

// A picture of its own: cleared to `BackColor` at the box's size, or, with `AutoSize`, the
// size of the last picture loaded into it.
class PictureBox : public Control {
 public:
  bool AutoSize = false;
  Pixel BackColor = rgb(0, 0, 0);
  Surface picture;

  // Takes a loaded picture; an empty one clears the box.
  void set_picture(Surface loaded);
  void Cls();
  int width() const { return AutoSize ? picture.width() : bounds.width; }
  int height() const { return AutoSize ? picture.height() : bounds.height; }
  // Draws `source`'s picture stretched into this rectangle of the box.
  void PaintPicture(const PictureBox& source, float x, float y, float w, float h);
};

// The drives of file_listing.h; `Drive` is the folder of the current one. A person's choice
// runs `Change`; setting it in code does not.
class DriveListBox : public Control {
 public:
  std::vector<std::string> names;  // the rows shown
  std::vector<std::string> paths;  // the folder of each row
  std::string Drive;
  std::function<void()> Change;

  // Fills the list from the file system and takes the drive that holds `path`.
  void set_drive(const std::string& path);
  void choose(int row);
};

// The current folder's path from the root down, then its subfolders. `Path` is the current
// folder; rows are full paths, `ListIndex` the clicked row (-1 when none since the last
// change). A change of `Path`, in code or by a person's double click, runs `Change`.
class DirListBox : public Control {
 public:
  std::string Path;
  std::vector<std::string> rows;
  int depth_of_path = 0;  // rows before this index are the path's folders
  int ListIndex = -1;
  std::function<void()> Change;

  // Opens a folder; false, with nothing changed, when it cannot be read. The folder is taken by
  // value: a double click passes one of the rows that this replaces.
  bool set_path(std::string folder);
  const std::string& List(int row) const { return rows.at(static_cast<size_t>(row)); }
  void click_row(int row);
  void double_click_row(int row);
};

// The files of `Path` whose names match `Pattern` (file_listing.h).
class FileListBox : public ListBox {
 public:
  std::string Pattern = "*";
  std::string Path;
  std::string FileName() const { return ListIndex >= 0 && ListIndex < ListCount() ? List(ListIndex) : ""; }
  // Shows a folder's files; false, with nothing changed, when it cannot be read.
  bool set_path(const std::string& folder);
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
