#include "platform/fltk/modal_form_fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

// X's event-type macro would replace the model's `KeyPress` member; no X event type is used here.
#undef KeyPress

#include <algorithm>
#include <span>
#include <string_view>
#include <vector>

#include "platform/controls.h"
#include "platform/fltk/push_button.h"
#include "platform/fltk/virtual_keys.h"
#include "platform/fltk/x_display.h"
#include "platform/x11/x11_host.h"

namespace quarlyn {
namespace {

constexpr int kEnter = 13;
constexpr int kBackspace = 8;
// FLTK's own default for an input without a limit.
constexpr int kNoLimit = 32767;
// What an input's frame and margins take from its height; the text gets the rest.
constexpr int kInputFrame = 6;
// FLTK's own "forever" for a wait.
constexpr double kForever = 1e20;

// One control's widget. Widgets are children of the form's window, which deletes them.
class ControlView {
 public:
  virtual ~ControlView() = default;
  virtual Fl_Widget& widget() = 0;
  virtual const Control& control() const = 0;
  virtual void take_model() = 0;
};

void take_place(Fl_Widget& widget, const Control& control) {
  const Rect& bounds = control.bounds;
  widget.resize(bounds.left, bounds.top, bounds.width, bounds.height);
  if (control.visible) {
    widget.show();
  } else {
    widget.hide();
  }
}

class PictureBox final : public Fl_Box, public ControlView {
 public:
  explicit PictureBox(Image& model) : Fl_Box(0, 0, 0, 0), model_(model) {}
  Fl_Widget& widget() override { return *this; }
  const Control& control() const override { return model_; }
  void take_model() override;

 protected:
  void draw() override {
    if (!rgb_.empty()) fl_draw_image(rgb_.data(), x(), y(), w(), h(), 3);
  }

 private:
  Image& model_;
  std::vector<uchar> rgb_;  // the picture at the widget's size, as fl_draw_image reads it
};

void PictureBox::take_model() {
  take_place(*this, model_);
  rgb_.clear();
  if (model_.picture.empty() || w() <= 0 || h() <= 0) return;
  Surface stretched(w(), h());
  paint_picture(stretched, model_.picture, 0, 0, w(), h());
  rgb_.reserve(static_cast<size_t>(w()) * h() * 3);
  for (int y = 0; y < h(); ++y) {
    for (const Pixel pixel : std::span(stretched.row(y), static_cast<size_t>(w()))) {
      rgb_.insert(rgb_.end(), {static_cast<uchar>(pixel >> 16), static_cast<uchar>(pixel >> 8),
                               static_cast<uchar>(pixel)});
    }
  }
}

// The character a key types, as a Windows text box reports it; -1 for none.
int typed_key() {
  switch (Fl::event_key()) {
    case FL_Tab:
      return -1;
    case FL_Enter:
    case FL_KP_Enter:
      return kEnter;
    case FL_BackSpace:
      return kBackspace;
    default:
      return typed_character(std::string_view(Fl::event_text(), static_cast<size_t>(Fl::event_length())));
  }
}

class TextEntry final : public Fl_Input, public ControlView {
 public:
  TextEntry(TextBox& model, const ModalForm& form) : Fl_Input(0, 0, 0, 0), model_(model), form_(form) {
    when(FL_WHEN_CHANGED);
    callback(copy_text);
  }
  Fl_Widget& widget() override { return *this; }
  const Control& control() const override { return model_; }
  void take_model() override;
  int handle(int event) override;

 private:
  static void copy_text(Fl_Widget* widget, void*);

  TextBox& model_;
  const ModalForm& form_;
};

void TextEntry::take_model() {
  take_place(*this, model_);
  textsize(std::clamp(h() - kInputFrame, 1, static_cast<int>(FL_NORMAL_SIZE)));
  maximum_size(model_.max_length > 0 ? model_.max_length : kNoLimit);
  if (model_.text != value()) value(model_.text.c_str());
}

// Keys still queued when the form unloads reach nothing.
int TextEntry::handle(int event) {
  if (event != FL_KEYBOARD) return Fl_Input::handle(event);
  if (!form_.loaded()) return 1;
  const int character = typed_key();
  if (character >= 0 && model_.KeyPress) {
    model_.KeyPress(character);
    if (!form_.loaded()) return 1;
  }
  return Fl_Input::handle(event);
}

void TextEntry::copy_text(Fl_Widget* widget, void*) {
  auto& entry = static_cast<TextEntry&>(*widget);
  entry.model_.text = entry.value();
}

class ButtonView final : public PushButton, public ControlView {
 public:
  ButtonView(CommandButton& model, const ModalForm& form) : PushButton(0, 0, 0, 0), model_(model), form_(form) {
    callback(click);
  }
  Fl_Widget& widget() override { return *this; }
  const Control& control() const override { return model_; }
  void take_model() override {
    take_place(*this, model_);
    if (label() == nullptr || model_.caption != label()) copy_label(model_.caption.c_str());
  }

 private:
  static void click(Fl_Widget* widget, void*) {
    auto& button = static_cast<ButtonView&>(*widget);
    if (button.form_.loaded() && button.model_.Click) button.model_.Click();
  }

  CommandButton& model_;
  const ModalForm& form_;
};

ControlView* make_view(Control& control, const ModalForm& form) {
  if (auto* image = dynamic_cast<Image*>(&control)) return new PictureBox(*image);
  if (auto* text = dynamic_cast<TextBox*>(&control)) return new TextEntry(*text, form);
  if (auto* button = dynamic_cast<CommandButton*>(&control)) return new ButtonView(*button, form);
  return nullptr;
}

class FormWindow final : public Fl_Window {
 public:
  explicit FormWindow(ModalForm& form);
  void take_model();
  void focus_control();

 private:
  // Only the form's handlers close it: not the close button, not Escape.
  static void ignore_close(Fl_Widget*, void*) {}

  ModalForm& form_;
  std::vector<ControlView*> views_;
};

// Widgets are created while the window is the current group, so it adopts them.
FormWindow::FormWindow(ModalForm& form) : Fl_Window(0, 0, 1, 1), form_(form) {
  for (Control* control : form.controls) {
    ControlView* view = control != nullptr ? make_view(*control, form) : nullptr;
    if (view != nullptr) views_.push_back(view);
  }
  end();
  // Controls keep their pixel places whatever the window's size.
  resizable(nullptr);
  callback(ignore_close);
  if (form.caption.empty()) {
    set_override();
  } else {
    copy_label(form.caption.c_str());
  }
  set_modal();
  take_model();
}

void FormWindow::take_model() {
  const Rect& bounds = form_.bounds();
  resize(bounds.left, bounds.top, std::max(bounds.width, 1), std::max(bounds.height, 1));
  for (ControlView* view : views_) view->take_model();
  redraw();
}

void FormWindow::focus_control() {
  ControlView* chosen = nullptr;
  for (ControlView* view : views_) {
    if (&view->control() == form_.focus) chosen = view;
  }
  for (auto it = views_.begin(); chosen == nullptr && it != views_.end(); ++it) {
    if (dynamic_cast<TextEntry*>(*it) != nullptr) chosen = *it;
  }
  if (chosen != nullptr) chosen->widget().take_focus();
}

void activate(FormWindow& window, ModalForm& form) {
  window.focus_control();
  if (form.Form_Activate) form.Form_Activate();
  if (!form.loaded()) return;
  window.take_model();
  window.focus_control();
}

void do_nothing(void*) {}

struct WaitTurn {
  const ModalForm& form;
  const std::function<void()>& before_drawing;
};

// Runs in every wait after the due timeouts and before drawing. FLTK then sleeps until an event
// comes, so a timer's handler unloading the form would leave the loop asleep: a zero timeout
// makes that wait return at once.
void take_turn(void* data) {
  const auto& turn = *static_cast<const WaitTurn*>(data);
  if (turn.before_drawing) turn.before_drawing();
  if (!turn.form.loaded()) Fl::add_timeout(0.0, do_nothing);
}

// Without a window manager nobody hands the window the focus, so it takes it itself once the
// server has it on screen; the form is activated then.
void run_until_unloaded(FormWindow& window, ModalForm& form, const std::function<void()>& before_drawing) {
  bool activated = false;
  WaitTurn turn{form, before_drawing};
  Fl::add_check(take_turn, &turn);
  while (form.loaded()) {
    if (!activated && focus_if_viewable(fl_display, fl_xid(&window))) {
      activated = true;
      activate(window, form);
      continue;
    }
    // Not Fl::wait(): that returns at once, running no timers, while no window is shown.
    Fl::wait(kForever);
  }
  Fl::remove_check(take_turn, &turn);
}

Window focused_window() {
  Window focus = None;
  int revert_to = 0;
  XGetInputFocus(fl_display, &focus, &revert_to);
  return focus;
}

// Only to one of the program's own windows: another client's may be gone by now. Done while the
// form is still up, so the focus moves once, straight back, and the window gets one activation.
void give_focus_back(Window previous) {
  if (previous != None && previous != PointerRoot && fl_find(previous) != nullptr) {
    focus_if_viewable(fl_display, previous);
  }
}

}  // namespace

void show_modal_form(ModalForm& form, bool hide_cursor, const std::function<void()>& before_drawing) {
  open_x_display();
  FormWindow window(form);
  form.mark_loaded();
  if (form.Form_Load) form.Form_Load();
  if (!form.loaded()) return;
  window.take_model();
  const Window previous = focused_window();
  window.show();
  // Above a full-screen window too, in case a window manager stacked this one lower.
  XRaiseWindow(fl_display, fl_xid(&window));
  if (hide_cursor) window.cursor(FL_CURSOR_NONE);
  run_until_unloaded(window, form, before_drawing);
  give_focus_back(previous);
  window.hide();
}

}  // namespace quarlyn
