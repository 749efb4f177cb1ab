// A modal form of controls.h shown as an FLTK window on a real desktop.
//
// Contract:
// - The window has the form's size at the form's place in screen pixels, titled with the
//   caption; a form without a caption is borderless and override-redirect, so it stays above a
//   full-screen window with or without a window manager. It holds one widget per control, in the
//   controls' (tab) order: an `Image` draws its picture stretched smoothly to the control's size,
//   a `TextBox` is a one-line input, a `CommandButton` a `PushButton` (push_button.h), which
//   Space or Enter presses while it has the focus.
// - Model to widgets: places, visibility, pictures, texts and captions are taken from the model
//   when the window is built, after `Form_Load` (which may move the form) and after
//   `Form_Activate`; the focus goes to the form's `focus` control (else the first text box) when
//   the window is up and again after `Form_Activate`.
// - Widgets to model: every key typed into a text box goes to its `KeyPress` first (Enter 13,
//   Backspace 8; Tab only moves the focus); if that unloaded the form the key goes no further,
//   otherwise the box edits as usual, never beyond `max_length`, and every edit is copied into
//   the model's `text` at once. A button's click calls `Click`.
// - `show_modal_form` marks the form loaded and runs `Form_Load`; a form that unloads there is
//   never shown. Otherwise the window is mapped, raised and made modal; once the server has it on
//   screen it takes the keyboard focus (no window manager may hand it over; a full-screen window
//   holding a keyboard grab with owner events still lets this window of the same client have
//   its keys) and `Form_Activate` runs. Events, timers included, are then handled until the
//   form unloads; in every wait `before_drawing` runs after the due timers and before FLTK
//   draws, so what timers changed is drawn in the same wait. Once the form has unloaded, the
//   focus goes back to the window that had it before and the window is destroyed.
// - The window's close button and Escape close nothing: only the form's handlers unload it.
#pragma once

#include <functional>

namespace quarlyn {

// Declared only: controls.h cannot follow Xlib's headers, whose `KeyPress` macro breaks it.
class ModalForm;

void show_modal_form(ModalForm& form, bool hide_cursor, const std::function<void()>& before_drawing);

}  // namespace quarlyn
