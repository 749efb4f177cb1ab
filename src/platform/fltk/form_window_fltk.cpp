#include "platform/fltk/form_window_fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Tooltip.H>
#include <FL/x.H>

// X's event-type macro would replace the model's `KeyPress` member; no X event type is used here.
#undef KeyPress

#include <algorithm>

#include "platform/controls.h"
#include "platform/fltk/control_view_fltk.h"
#include "platform/fltk/x_display.h"
#include "platform/x11/x11_host.h"

namespace quarlyn {

namespace {

// FLTK shows every window's tooltips in one window of its own.
void give_tooltips_dialog_look() {
  Fl_Tooltip::color(kDialogFace);
  Fl_Tooltip::textcolor(kButtonText);
  Fl_Tooltip::font(FL_HELVETICA);
  Fl_Tooltip::size(kButtonTextSize);
}

}  // namespace

// Widgets are created while the window is the current group, so it adopts them.
FormWindow::FormWindow(ModalForm& form) : Fl_Window(0, 0, 1, 1), form_(form) {
  for (Control* control : form.controls) {
    ControlView* view = control != nullptr ? make_view(*control, form) : nullptr;
    if (view != nullptr) views_.push_back(view);
  }
  end();
  // Controls keep their pixel places whatever the window's size.
  resizable(nullptr);
  callback(close_box);
  if (form.caption.empty()) set_override();
  give_tooltips_dialog_look();
  sync();
}

FormWindow::~FormWindow() = default;

void FormWindow::sync() {
  const Rect& bounds = form_.bounds();
  const int width = std::max(bounds.width, 1);
  const int height = std::max(bounds.height, 1);
  if (x() != bounds.left || y() != bounds.top || w() != width || h() != height) {
    resize(bounds.left, bounds.top, width, height);
  }
  if (form_.caption != caption_ || form_.search_name != search_name_) {
    caption_ = form_.caption;
    search_name_ = form_.search_name;
    label(caption_.c_str(), search_name_.empty() ? caption_.c_str() : search_name_.c_str());
  }
  for (ControlView* view : views_) view->sync();
}

void FormWindow::focus_control() {
  ControlView* chosen = nullptr;
  for (ControlView* view : views_) {
    if (&view->control() == form_.focus) chosen = view;
  }
  for (auto it = views_.begin(); chosen == nullptr && it != views_.end(); ++it) {
    if (dynamic_cast<TextBox*>(&(*it)->control()) != nullptr) chosen = *it;
  }
  if (chosen != nullptr) chosen->widget().take_focus();
}

// FLTK calls this for the close box and for Escape; only the close box of a captioned form
// closes it.
void FormWindow::close_box(Fl_Widget* widget, void*) {
  auto& window = static_cast<FormWindow&>(*widget);
  const bool escape = Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape;
  if (!escape && !window.form_.caption.empty()) window.form_.Unload();
}

struct ModelessWindows::Entry {
  std::unique_ptr<FormWindow> window;  // handed to Fl::delete_widget when it goes
  bool activation_due = false;
};

ModelessWindows::ModelessWindows() { Fl::add_check(sync_all, this); }

ModelessWindows::~ModelessWindows() {
  Fl::remove_check(sync_all, this);
  for (auto& entry : entries_) {
    Fl::remove_timeout(activate, entry.get());
    Fl::delete_widget(entry->window.release());
  }
}

void ModelessWindows::show(ModalForm& form, bool hide_cursor) {
  open_x_display();
  auto found = std::find_if(entries_.begin(), entries_.end(),
                            [&](const auto& entry) { return &entry->window->form() == &form; });
  Entry* entry = found != entries_.end() ? found->get() : nullptr;
  if (entry == nullptr) {
    entries_.push_back(std::make_unique<Entry>());
    entry = entries_.back().get();
    entry->window = std::make_unique<FormWindow>(form);
  }
  entry->window->sync();
  entry->window->show();
  if (hide_cursor) entry->window->cursor(FL_CURSOR_NONE);
  entry->activation_due = true;
}

// Runs in every wait of the event loop; it calls no handler of the forms, so a handler may
// wait inside its own activation.
void ModelessWindows::sync_all(void* self) {
  auto& entries = static_cast<ModelessWindows*>(self)->entries_;
  for (auto it = entries.begin(); it != entries.end();) {
    Entry& entry = **it;
    ModalForm& form = entry.window->form();
    if (!form.loaded()) {
      Fl::remove_timeout(activate, &entry);
      entry.window->hide();
      // A handler of the window may still be on the stack below this wait.
      Fl::delete_widget(entry.window.release());
      it = entries.erase(it);
      continue;
    }
    if (!form.shown()) {
      entry.activation_due = false;
      if (entry.window->shown()) entry.window->hide();
    } else {
      entry.window->sync();
      // Without a window manager nobody hands the window the focus, so it takes it itself once
      // the server has it on screen; the form is activated then.
      if (entry.activation_due && focus_if_viewable(fl_display, fl_xid(entry.window.get()))) {
        entry.activation_due = false;
        Fl::add_timeout(0.0, activate, &entry);
      }
    }
    ++it;
  }
}

void ModelessWindows::activate(void* data) {
  auto& entry = *static_cast<Entry*>(data);
  ModalForm& form = entry.window->form();
  if (!form.loaded() || !form.shown()) return;
  entry.window->focus_control();
  if (form.Form_Activate) form.Form_Activate();
}

}  // namespace quarlyn
