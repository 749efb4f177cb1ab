// A modal form of controls.h shown as an FLTK window on a real desktop (see form_window_fltk.h
// for the window and its widgets).
//
// Contract:
// - `show_modal_form` marks the form loaded and runs `Form_Load`; a form that unloads there is
//   never shown. Otherwise the window is mapped, raised and made modal; once the server has it on
//   screen it takes the keyboard focus (no window manager may hand it over; a full-screen window
//   holding a keyboard grab with owner events still lets this window of the same client have
//   its keys) and `Form_Activate` runs; the focus goes to the form's `focus` control (else the
//   first text box) then and again after `Form_Activate`. Events, timers included, are then
//   handled until the form unloads, but keys pressed before the window was on screen reach
//   nothing: neither those still waiting to be handled nor the repeats of a key held since
//   then. In every wait the widgets take the model's changes and `before_drawing` runs after
//   the due timers and before FLTK draws, so what timers changed is drawn in the same wait.
//   Once the form has unloaded, the focus goes back to the window that had it before and the
//   window is destroyed.
#pragma once

#include <functional>

namespace quarlyn {

// Declared only: controls.h cannot follow Xlib's headers, whose `KeyPress` macro breaks it.
class ModalForm;

void show_modal_form(ModalForm& form, bool hide_cursor, const std::function<void()>& before_drawing);

}  // namespace quarlyn
