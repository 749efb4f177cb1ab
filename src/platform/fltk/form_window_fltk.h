// A form of controls.h shown as an FLTK window: one widget per control, kept in step with the
// model.
//
// Contract:
// - The window has the form's size at the form's place in screen pixels, titled with the
//   caption; a form without a caption is borderless and override-redirect, so it stays above a
//   full-screen window with or without a window manager. A form's `search_name` becomes the
//   window's icon name (WM_ICON_NAME and _NET_WM_ICON_NAME), which the window search also
//   matches.
// - Widgets, in the controls' order when the window is made (later ones drawn on top): an
//   `Image` draws its picture stretched smoothly to the control's size; a `Label` draws its
//   text, wrapped at its width and cut off at its edges, straight over what lies beneath; a
//   `TextBox` is a one-line input; a `CommandButton` a push button, drawn as its picture when
//   it has one (pressed: shifted and darkened; focused: a dotted rectangle); a `CheckBox` a
//   check button; an `HScrollBar` a horizontal scroll bar (its arrows step by SmallChange, its
//   track by LargeChange); a `Frame` an engraved border with its caption; a `PictureBox` its
//   picture unscaled at its top-left corner in a sunken border; a `ListBox` or `FileListBox` a
//   list of its rows with the model's selection (rows added after the others are scrolled into
//   view); a `DirListBox` the path's folders indented, then the subfolders; a `DriveListBox` a
//   drop-down of the drives.
// - Model to widgets: `sync` takes every change of the model (places, visibility, pictures,
//   texts, values, tooltips) and redraws only what changed; the window calls it in every wait
//   of the event loop, so whatever a handler changed is drawn in the same wait. A tooltip that
//   changes while the mouse is over its widget is shown anew (after FLTK's hover delay, so a
//   mouse that keeps moving sees the tip once it rests).
// - Widgets to model: a click (press and release over the widget) calls `Click`; mouse motion
//   over a widget, entering it included, calls `MouseMove` with the position in the control's
//   units (an image's picture pixels).
//   Every key typed into a text box goes to its `KeyPress` first (Enter 13, Backspace 8; Tab
//   only moves the focus); if that unloaded the form the key goes no further, otherwise the box
//   edits as usual and the text is copied into the model at once. Enter and Space press the
//   focused button. A check box click flips `Value` then calls `Click`; moving the scroll bar
//   sets `Value` and calls `Change`. A click on a row of a list goes to the model's `click_row`
//   (with Shift and Ctrl), a double click to `double_click_row`; a drive picked from the drop-down
//   to `choose`. Events that arrive after the form unloaded reach nothing.
// - The close box unloads a form that has a caption; Escape closes nothing.
#pragma once

#include <FL/Fl_Window.H>

#include <memory>
#include <string>
#include <vector>

namespace quarlyn {

// Declared only: controls.h cannot follow Xlib's headers, whose `KeyPress` macro breaks it.
class ModalForm;
class ControlView;

class FormWindow final : public Fl_Window {
 public:
  explicit FormWindow(ModalForm& form);
  ~FormWindow() override;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  ModalForm& form() { return form_; }
  // Brings the window and its widgets in step with the model.
  void sync();
  // Gives the keyboard focus to the form's `focus` control, else to its first text box.
  void focus_control();

 private:
  static void close_box(Fl_Widget* widget, void*);

  ModalForm& form_;
  std::vector<ControlView*> views_;  // children of the window, which deletes them
  std::string caption_;
  std::string search_name_;
};

// The program's modeless forms on screen. A window is made when its form is first shown, hidden
// while the form is hidden, and destroyed once the form has unloaded; a form shown modeless must
// unload before it is destroyed. Each time a form is shown, it is activated (`Form_Activate`,
// from a timeout) once its window is on screen and has taken the keyboard focus.
class ModelessWindows {
 public:
  ModelessWindows();
  ~ModelessWindows();
  ModelessWindows(const ModelessWindows&) = delete;
  ModelessWindows& operator=(const ModelessWindows&) = delete;

  void show(ModalForm& form, bool hide_cursor);

 private:
  struct Entry;
  static void sync_all(void* self);
  static void activate(void* entry);

  std::vector<std::unique_ptr<Entry>> entries_;
};

}  // namespace quarlyn
