#include "platform/fltk/modal_form_fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

// X's event-type macro would replace the model's `KeyPress` member; no X event type is used here.
#undef KeyPress

#include "platform/controls.h"
#include "platform/fltk/form_window_fltk.h"
#include "platform/fltk/x_display.h"
#include "platform/x11/x11_host.h"

namespace quarlyn {
namespace {

// FLTK's own "forever" for a wait.
constexpr double kForever = 1e20;

void activate(FormWindow& window, ModalForm& form) {
  window.focus_control();
  if (form.Form_Activate) form.Form_Activate();
  if (!form.loaded()) return;
  window.sync();
  window.focus_control();
}

void do_nothing(void*) {}

struct WaitTurn {
  FormWindow& window;
  const std::function<void()>& before_drawing;
};

// Runs in every wait after the due timeouts and before drawing. FLTK then sleeps until an event
// comes, so a timer's handler unloading the form would leave the loop asleep: a zero timeout
// makes that wait return at once.
void take_turn(void* data) {
  const auto& turn = *static_cast<const WaitTurn*>(data);
  if (turn.before_drawing) turn.before_drawing();
  if (turn.window.form().loaded()) {
    turn.window.sync();
  } else {
    Fl::add_timeout(0.0, do_nothing);
  }
}

// Keys pressed before the form was on screen were meant for what was there then (a space for
// the saver's last drop): still waiting to be handled, or repeating while held, they would type
// into the form.
int drop_earlier_keys(void* event, void* earlier_keys) {
  return static_cast<EarlierKeys*>(earlier_keys)->earlier(fl_display, *static_cast<const XEvent*>(event)) ? 1 : 0;
}

// Takes the focus once the server has the window on screen; the form takes keys from then on.
bool focus_when_shown(FormWindow& window, EarlierKeys& earlier_keys) {
  if (!focus_if_viewable(fl_display, fl_xid(&window))) return false;
  earlier_keys.mark(fl_display);
  return true;
}

// The form's hooks into FLTK's loop, taken out however the loop is left: the program's end
// unwinds through here, and the hooks point into this frame.
class LoopHooks {
 public:
  LoopHooks(WaitTurn& turn, EarlierKeys& earlier_keys) : turn_(turn) {
    Fl::add_check(take_turn, &turn_);
    Fl::add_system_handler(drop_earlier_keys, &earlier_keys);
  }
  ~LoopHooks() {
    Fl::remove_system_handler(drop_earlier_keys);
    Fl::remove_check(take_turn, &turn_);
  }
  LoopHooks(const LoopHooks&) = delete;
  LoopHooks& operator=(const LoopHooks&) = delete;

 private:
  WaitTurn& turn_;
};

// Without a window manager nobody hands the window the focus, so it takes it itself once the
// server has it on screen; the form is activated then. The key filter goes by function, so of
// nested forms the inner one's is removed first, as it should.
void run_until_unloaded(FormWindow& window, ModalForm& form, const std::function<void()>& before_drawing) {
  bool activated = false;
  EarlierKeys earlier_keys;
  WaitTurn turn{window, before_drawing};
  const LoopHooks hooks(turn, earlier_keys);
  while (form.loaded()) {
    if (!activated && focus_when_shown(window, earlier_keys)) {
      activated = true;
      activate(window, form);
      continue;
    }
    // Not Fl::wait(): that returns at once, running no timers, while no window is shown.
    Fl::wait(kForever);
  }
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
  form.mark_loaded();
  if (form.Form_Load) form.Form_Load();
  if (!form.loaded()) return;
  form.mark_shown();
  FormWindow window(form);
  window.set_modal();
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
