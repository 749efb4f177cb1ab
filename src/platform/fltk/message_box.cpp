#include "platform/fltk/message_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>

#include "platform/fltk/dialog_look_fltk.h"
#include "platform/fltk/x_display.h"
#include "platform/x11/x11_host.h"

namespace quarlyn {
namespace {

constexpr int kMargin = 16;
constexpr int kGap = 14;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 28;
constexpr int kMinimumWidth = 180;
// Room the window manager's buttons take beside the title.
constexpr int kTitleAllowance = 64;
constexpr Fl_Align kTextAlign = FL_ALIGN_TOP_LEFT | FL_ALIGN_WRAP;
constexpr Fl_Font kTextFont = FL_HELVETICA;

// A label drawn without FLTK's markup: "@" would start a symbol and the text must show as given.
class PlainText : public Fl_Box {
 public:
  PlainText(int x, int y, int w, int h, const std::string& text) : Fl_Box(x, y, w, h) {
    copy_label(text.c_str());
    labelfont(kTextFont);
    labelsize(kButtonTextSize);
    labelcolor(kButtonText);
  }

 protected:
  void draw() override {
    draw_box();
    fl_font(labelfont(), labelsize());
    fl_color(labelcolor());
    fl_draw(label(), x(), y(), w(), h(), kTextAlign, nullptr, 0);
  }
};

struct Extent {
  int width = 0;
  int height = 0;
};

Extent measure_text(const std::string& text) {
  fl_font(kTextFont, kButtonTextSize);
  Extent extent;
  fl_measure(text.c_str(), extent.width, extent.height, 0);
  const int widest = Fl::w() * 3 / 4;
  if (extent.width > widest) {
    extent.width = widest;
    extent.height = 0;
    fl_measure(text.c_str(), extent.width, extent.height, 0);
  }
  extent.height = std::clamp(extent.height, fl_height(), Fl::h() * 3 / 4);
  return extent;
}

int title_width(const std::string& title) {
  int width = 0;
  int height = 0;
  // The title bar is the window manager's, in its own font.
  fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
  fl_measure(title.c_str(), width, height, 0);
  return width + kTitleAllowance;
}

void close_box(Fl_Widget* button, void*) { button->window()->hide(); }

// The dialogs' buttons: the same face, text and sinking box.
void give_dialog_look(Fl_Button& button) {
  button.box(FL_GTK_UP_BOX);
  button.down_box(FL_GTK_DOWN_BOX);
  button.color(kButtonFace, kButtonPressed);
  button.labelcolor(kButtonText);
  button.labelsize(kButtonTextSize);
}

// Without a window manager nobody hands a new window the focus, so the box takes it itself
// once the server has it on screen; with one, this only repeats what the manager does.
void run_until_closed(Fl_Window& window) {
  bool focused = false;
  while (window.shown()) {
    if (!focused) focused = focus_if_viewable(fl_display, fl_xid(&window));
    Fl::wait();
  }
}

}  // namespace

std::string message_box_text(const std::string& prompt) {
  std::string text;
  text.reserve(prompt.size());
  for (std::size_t i = 0; i < prompt.size(); ++i) {
    if (prompt[i] != '\r') {
      text += prompt[i];
    } else if (i + 1 >= prompt.size() || prompt[i + 1] != '\n') {
      text += '\n';
    }
  }
  return text;
}

void show_message_box(const std::string& prompt, const std::string& title, bool hide_cursor) {
  open_x_display();
  const std::string text = message_box_text(prompt);
  const Extent extent = measure_text(text);
  const int content_width = std::max({extent.width, title_width(title), kButtonWidth, kMinimumWidth});
  const int width = content_width + 2 * kMargin;
  const int height = kMargin + extent.height + kGap + kButtonHeight + kMargin;

  Fl_Window window(Fl::x() + (Fl::w() - width) / 2, Fl::y() + (Fl::h() - height) / 2, width, height);
  window.copy_label(title.c_str());
  window.color(kDialogFace);
  PlainText message(kMargin, kMargin, content_width, extent.height, text);
  Fl_Return_Button ok((width - kButtonWidth) / 2, height - kMargin - kButtonHeight, kButtonWidth, kButtonHeight, "OK");
  ok.callback(close_box);
  give_dialog_look(ok);
  window.end();
  window.set_modal();
  window.show();
  if (hide_cursor) window.cursor(FL_CURSOR_NONE);
  run_until_closed(window);
}

}  // namespace quarlyn
