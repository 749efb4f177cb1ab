#include "platform/fltk/form_window_fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/Fl_Tooltip.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

// X's event-type macro would replace the model's `KeyPress` member; no X event type is used here.
#undef KeyPress

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <span>
#include <string_view>

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
// Text sizes are given in points at 96 dots per inch; FLTK sizes are pixels.
constexpr float kPixelsPerPoint = 96.0f / 72.0f;

// The look of the dialogs' plain buttons and boxes: the game's dark blue glass with light text.
const Fl_Color kButtonFace = fl_rgb_color(0x26, 0x36, 0x62);
const Fl_Color kButtonPressed = fl_rgb_color(0x3a, 0x5c, 0x9c);
const Fl_Color kButtonText = fl_rgb_color(0xe6, 0xf8, 0xff);
constexpr Fl_Fontsize kButtonTextSize = 13;

Fl_Color fl_colour(Pixel pixel) {
  return fl_rgb_color(static_cast<uchar>(pixel >> 16), static_cast<uchar>(pixel >> 8), static_cast<uchar>(pixel));
}

// FLTK reads "@" in a label as the start of a symbol; doubled, it is drawn as itself.
std::string label_text(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    escaped += c;
    if (c == '@') escaped += '@';
  }
  return escaped;
}

bool same_place(const Fl_Widget& widget, const Rect& bounds) {
  return widget.x() == bounds.left && widget.y() == bounds.top && widget.w() == bounds.width &&
         widget.h() == bounds.height;
}

bool same_picture(const Surface& a, const Surface& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  const size_t row_bytes = static_cast<size_t>(a.width()) * sizeof(Pixel);
  for (int y = 0; y < a.height(); ++y) {
    if (std::memcmp(a.row(y), b.row(y), row_bytes) != 0) return false;
  }
  return true;
}

// Widgets drawn without a background of their own leave the window to paint what lies beneath.
void redraw_with_background(Fl_Widget& widget) {
  if (Fl_Window* window = widget.window()) {
    window->damage(FL_DAMAGE_ALL, widget.x(), widget.y(), widget.w(), widget.h());
  } else {
    widget.redraw();
  }
}

int mouse_buttons() {
  const int state = Fl::event_state();
  return ((state & FL_BUTTON1) != 0 ? 1 : 0) | ((state & FL_BUTTON3) != 0 ? 2 : 0) |
         ((state & FL_BUTTON2) != 0 ? 4 : 0);
}

int shift_state() {
  const int state = Fl::event_state();
  return ((state & FL_SHIFT) != 0 ? 1 : 0) | ((state & FL_CTRL) != 0 ? 2 : 0) | ((state & FL_ALT) != 0 ? 4 : 0);
}

}  // namespace

// One control's widget. Widgets are children of the form's window, which deletes them.
class ControlView {
 public:
  ControlView(Control& control, const ModalForm& form) : control_(control), form_(form) {}
  virtual ~ControlView() = default;
  virtual Fl_Widget& widget() = 0;
  Control& control() { return control_; }

  // Place, visibility and tooltip, then what the kind of control adds.
  void sync() {
    Fl_Widget& w = widget();
    const bool moved = !same_place(w, control_.bounds);
    if (moved) {
      redraw_with_background(w);
      w.resize(control_.bounds.left, control_.bounds.top, control_.bounds.width, control_.bounds.height);
    }
    if (control_.visible != (w.visible() != 0)) {
      if (control_.visible) {
        w.show();
      } else {
        w.hide();
      }
      redraw_with_background(w);
    }
    sync_tooltip();
    sync_content(moved);
  }

 protected:
  // Takes the kind's own properties; `resized` tells that the place changed.
  virtual void sync_content(bool resized) = 0;
  // The position of the mouse in the control's own units.
  virtual void mouse_units(float& x, float& y) {
    x = static_cast<float>(Fl::event_x() - widget().x());
    y = static_cast<float>(Fl::event_y() - widget().y());
  }

  // Clicks and mouse motion; returns whether the event was taken.
  bool handle_mouse(int event) {
    if (!form_.loaded()) return false;
    switch (event) {
      // Entering is a move too: the pointer may jump onto the control in one step.
      case FL_ENTER:
      case FL_MOVE:
      case FL_DRAG:
        if (control_.MouseMove) {
          float x = 0;
          float y = 0;
          mouse_units(x, y);
          control_.MouseMove(mouse_buttons(), shift_state(), x, y);
        }
        return event != FL_DRAG;
      case FL_PUSH:
        return static_cast<bool>(control_.Click);
      case FL_RELEASE:
        if (control_.Click && Fl::event_inside(&widget())) control_.Click();
        return true;
      default:
        return false;
    }
  }

  const ModalForm& form() const { return form_; }

 private:
  void sync_tooltip() {
    if (control_.ToolTipText == tooltip_) return;
    tooltip_ = control_.ToolTipText;
    Fl_Widget& w = widget();
    w.copy_tooltip(tooltip_.empty() ? nullptr : tooltip_.c_str());
    // FLTK reads a tooltip only when the mouse enters a widget: a new text for the widget under
    // the mouse is handed over here, the old one taken down first (FLTK would keep showing it
    // when the new text happens to get the old one's address).
    if (Fl::belowmouse() == &w) {
      Fl_Tooltip::exit(nullptr);
      if (w.tooltip() != nullptr) Fl_Tooltip::enter_area(&w, 0, 0, w.w(), w.h(), w.tooltip());
    }
  }

  Control& control_;
  const ModalForm& form_;
  std::string tooltip_;
};

namespace {

class PictureView final : public Fl_Box, public ControlView {
 public:
  PictureView(Image& model, const ModalForm& form) : Fl_Box(0, 0, 0, 0), ControlView(model, form), model_(model) {}
  Fl_Widget& widget() override { return *this; }
  int handle(int event) override { return handle_mouse(event) ? 1 : Fl_Box::handle(event); }

 protected:
  void draw() override {
    if (!rgb_.empty()) fl_draw_image(rgb_.data(), x(), y(), w(), h(), 3);
  }
  void sync_content(bool resized) override {
    if (!resized && same_picture(shown_, model_.picture)) return;
    shown_ = model_.picture;
    stretch();
    redraw();
  }
  void mouse_units(float& x, float& y) override {
    ControlView::mouse_units(x, y);
    if (w() > 0 && h() > 0 && !model_.picture.empty()) {
      x = std::floor(x * static_cast<float>(model_.picture.width()) / static_cast<float>(w()));
      y = std::floor(y * static_cast<float>(model_.picture.height()) / static_cast<float>(h()));
    }
  }

 private:
  void stretch() {
    rgb_.clear();
    if (shown_.empty() || w() <= 0 || h() <= 0) return;
    Surface stretched(w(), h());
    paint_picture(stretched, shown_, 0, 0, w(), h());
    rgb_.reserve(static_cast<size_t>(w()) * h() * 3);
    for (int y = 0; y < h(); ++y) {
      for (const Pixel pixel : std::span(stretched.row(y), static_cast<size_t>(w()))) {
        rgb_.insert(rgb_.end(), {static_cast<uchar>(pixel >> 16), static_cast<uchar>(pixel >> 8),
                                 static_cast<uchar>(pixel)});
      }
    }
  }

  Image& model_;
  Surface shown_;
  std::vector<uchar> rgb_;  // the picture at the widget's size, as fl_draw_image reads it
};

class LabelView final : public Fl_Box, public ControlView {
 public:
  LabelView(Label& model, const ModalForm& form) : Fl_Box(0, 0, 0, 0), ControlView(model, form), model_(model) {
    box(FL_NO_BOX);
  }
  Fl_Widget& widget() override { return *this; }
  int handle(int event) override { return handle_mouse(event) ? 1 : Fl_Box::handle(event); }

 protected:
  void sync_content(bool) override {
    const std::string text = label_text(model_.Caption);
    const Fl_Font font = model_.FontBold ? FL_HELVETICA_BOLD : FL_HELVETICA;
    const auto size = static_cast<Fl_Fontsize>(std::lround(model_.FontSize * kPixelsPerPoint));
    Fl_Align align = FL_ALIGN_INSIDE | FL_ALIGN_TOP | FL_ALIGN_WRAP;
    if (model_.Alignment == TextAlignment::kLeft) align |= FL_ALIGN_LEFT;
    if (model_.Alignment == TextAlignment::kRight) align |= FL_ALIGN_RIGHT;
    const Fl_Color colour = fl_colour(model_.ForeColor);
    if (label() != nullptr && text == label() && font == labelfont() && size == labelsize() &&
        align == this->align() && colour == labelcolor()) {
      return;
    }
    copy_label(text.c_str());
    labelfont(font);
    labelsize(size);
    this->align(align);
    labelcolor(colour);
    redraw_with_background(*this);
  }

 private:
  Label& model_;
};

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
  TextEntry(TextBox& model, const ModalForm& form) : Fl_Input(0, 0, 0, 0), ControlView(model, form), model_(model) {
    when(FL_WHEN_CHANGED);
    callback(copy_text);
  }
  Fl_Widget& widget() override { return *this; }
  int handle(int event) override;

 protected:
  void sync_content(bool) override {
    textsize(std::clamp(h() - kInputFrame, 1, static_cast<int>(FL_NORMAL_SIZE)));
    maximum_size(model_.max_length > 0 ? model_.max_length : kNoLimit);
    if (model_.text != value()) value(model_.text.c_str());
  }

 private:
  static void copy_text(Fl_Widget* widget, void*) {
    auto& entry = static_cast<TextEntry&>(*widget);
    entry.model_.text = entry.value();
  }

  TextBox& model_;
};

// Keys still queued when the form unloads reach nothing.
int TextEntry::handle(int event) {
  if (event != FL_KEYBOARD) return Fl_Input::handle(event);
  if (!form().loaded()) return 1;
  const int character = typed_key();
  if (character >= 0 && model_.KeyPress) {
    model_.KeyPress(character);
    if (!form().loaded()) return 1;
  }
  return Fl_Input::handle(event);
}

// Every dialog's buttons press here, on a click and on Enter or Space while focused.
class ButtonView final : public PushButton, public ControlView {
 public:
  ButtonView(CommandButton& model, const ModalForm& form)
      : PushButton(0, 0, 0, 0), ControlView(model, form), model_(model) {
    callback(click);
    box(FL_GTK_UP_BOX);
    down_box(FL_GTK_DOWN_BOX);
    color(kButtonFace, kButtonPressed);
    labelcolor(kButtonText);
    labelsize(kButtonTextSize);
    align(FL_ALIGN_CENTER | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
  }
  Fl_Widget& widget() override { return *this; }
  int handle(int event) override {
    if (!form().loaded()) return event == FL_KEYBOARD ? 1 : Fl_Button::handle(event);
    if (event == FL_ENTER || event == FL_MOVE || event == FL_DRAG) handle_mouse(event);
    return PushButton::handle(event);
  }

 protected:
  void draw() override {
    if (shown_.empty()) {
      Fl_Button::draw();
      return;
    }
    const bool down = value() != 0;
    // Pressed, the face sinks by one pixel and darkens; the strip it leaves is dark.
    fl_rectf(x(), y(), w(), h(), FL_BLACK);
    const std::vector<uchar>& face = down ? pressed_rgb_ : rgb_;
    if (!face.empty()) fl_draw_image(face.data(), x() + (down ? 1 : 0), y() + (down ? 1 : 0), w() - (down ? 1 : 0),
                                     h() - (down ? 1 : 0), 3, w() * 3);
    if (Fl::focus() == this && Fl::visible_focus()) {
      fl_color(kButtonText);
      fl_line_style(FL_DOT);
      fl_rect(x() + 3, y() + 3, w() - 6, h() - 6);
      fl_line_style(0);
    }
  }
  void sync_content(bool resized) override {
    const std::string text = model_.picture.empty() ? label_text(model_.caption) : std::string();
    if (label() == nullptr || text != label()) copy_label(text.c_str());
    if (!resized && same_picture(shown_, model_.picture)) return;
    shown_ = model_.picture;
    make_faces();
    redraw();
  }

 private:
  static void click(Fl_Widget* widget, void*) { static_cast<ButtonView&>(*widget).press(); }
  void press() {
    if (form().loaded() && model_.Click) model_.Click();
  }

  void make_faces() {
    rgb_.clear();
    pressed_rgb_.clear();
    if (shown_.empty() || w() <= 0 || h() <= 0) return;
    Surface stretched(w(), h());
    paint_picture(stretched, shown_, 0, 0, w(), h());
    for (int y = 0; y < h(); ++y) {
      for (const Pixel pixel : std::span(stretched.row(y), static_cast<size_t>(w()))) {
        const uchar red = static_cast<uchar>(pixel >> 16);
        const uchar green = static_cast<uchar>(pixel >> 8);
        const uchar blue = static_cast<uchar>(pixel);
        rgb_.insert(rgb_.end(), {red, green, blue});
        pressed_rgb_.insert(pressed_rgb_.end(), {static_cast<uchar>(red * 3 / 4), static_cast<uchar>(green * 3 / 4),
                                                 static_cast<uchar>(blue * 3 / 4)});
      }
    }
  }

  CommandButton& model_;
  Surface shown_;
  std::vector<uchar> rgb_;
  std::vector<uchar> pressed_rgb_;
};

class CheckView final : public Fl_Check_Button, public ControlView {
 public:
  CheckView(CheckBox& model, const ModalForm& form)
      : Fl_Check_Button(0, 0, 0, 0), ControlView(model, form), model_(model) {
    box(FL_NO_BOX);
    callback(clicked);
  }
  Fl_Widget& widget() override { return *this; }
  int handle(int event) override {
    if (event == FL_ENTER || event == FL_MOVE || event == FL_DRAG) handle_mouse(event);
    return Fl_Check_Button::handle(event);
  }

 protected:
  void sync_content(bool) override {
    const std::string text = label_text(model_.Caption);
    const Fl_Color colour = fl_colour(model_.ForeColor);
    if (label() == nullptr || text != label() || colour != labelcolor()) {
      copy_label(text.c_str());
      labelcolor(colour);
      redraw_with_background(*this);
    }
    // Compared with what was last shown, not with the widget: a press in progress shows the
    // value the release will give, and must not be taken back.
    if (model_.Value != shown_value_) {
      shown_value_ = model_.Value;
      value(model_.Value != 0 ? 1 : 0);
      redraw_with_background(*this);
    }
  }

 private:
  static void clicked(Fl_Widget* widget, void*) {
    auto& view = static_cast<CheckView&>(*widget);
    if (!view.form().loaded()) return;
    view.model_.Value = view.value() != 0 ? 1 : 0;
    view.shown_value_ = view.model_.Value;
    if (view.model_.Click) view.model_.Click();
  }

  CheckBox& model_;
  int16_t shown_value_ = -1;
};

class ScrollView final : public Fl_Scrollbar, public ControlView {
 public:
  ScrollView(HScrollBar& model, const ModalForm& form)
      : Fl_Scrollbar(0, 0, 0, 0), ControlView(model, form), model_(model) {
    type(FL_HORIZONTAL);
    step(1);
    slider_size(0.08);
    color(kButtonFace, kButtonPressed);
    callback(moved);
  }
  Fl_Widget& widget() override { return *this; }
  int handle(int event) override {
    if (event == FL_ENTER || event == FL_MOVE) handle_mouse(event);
    return Fl_Scrollbar::handle(event);
  }

 protected:
  void sync_content(bool) override {
    if (minimum() != model_.Min || maximum() != model_.Max) bounds(model_.Min, model_.Max);
    linesize(model_.SmallChange);
    // FLTK pages by the share of the range the thumb covers; sized so, a click on the track
    // moves by LargeChange (the small extra keeps FLTK's rounding down from losing a step).
    const double range = std::abs(static_cast<double>(model_.Max) - model_.Min);
    const double page = std::max<double>(model_.LargeChange, 1) + 0.01;
    if (range > 0) slider_size(page / (range + page));
    // As for a check box: a drag in progress is not taken back.
    if (model_.Value != shown_value_) {
      shown_value_ = model_.Value;
      Fl_Slider::value(model_.Value);
    }
  }

 private:
  static void moved(Fl_Widget* widget, void*) {
    auto& view = static_cast<ScrollView&>(*widget);
    if (!view.form().loaded()) return;
    view.model_.scroll_to(static_cast<int>(std::lround(view.Fl_Slider::value())));
    view.shown_value_ = view.model_.Value;
  }

  HScrollBar& model_;
  int shown_value_ = -1;
};

class FrameView final : public Fl_Box, public ControlView {
 public:
  FrameView(Frame& model, const ModalForm& form) : Fl_Box(0, 0, 0, 0), ControlView(model, form), model_(model) {
    box(FL_ENGRAVED_FRAME);
    align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
  }
  Fl_Widget& widget() override { return *this; }

 protected:
  void sync_content(bool) override {
    const std::string text = label_text(model_.Caption);
    const Fl_Color colour = fl_colour(model_.ForeColor);
    if (label() != nullptr && text == label() && colour == labelcolor()) return;
    copy_label(text.c_str());
    labelcolor(colour);
    redraw_with_background(*this);
  }

 private:
  Frame& model_;
};

// A picture box shows its own picture at its top-left corner, inside a sunken border.
class PictureBoxView final : public Fl_Box, public ControlView {
 public:
  PictureBoxView(PictureBox& model, const ModalForm& form)
      : Fl_Box(0, 0, 0, 0), ControlView(model, form), model_(model) {
    box(FL_DOWN_FRAME);
  }
  Fl_Widget& widget() override { return *this; }
  int handle(int event) override { return handle_mouse(event) ? 1 : Fl_Box::handle(event); }

 protected:
  void draw() override {
    fl_rectf(x(), y(), w(), h(), fl_colour(model_.BackColor));
    const int width = std::min(shown_.width(), w());
    const int height = std::min(shown_.height(), h());
    if (width > 0 && height > 0) fl_draw_image(picture_rgb, this, x(), y(), width, height, 3);
    draw_box(box(), x(), y(), w(), h(), color());
  }
  void sync_content(bool resized) override {
    if (!resized && same_picture(shown_, model_.picture)) return;
    shown_ = model_.picture;
    redraw();
  }

 private:
  // Hands FLTK part of one row of the picture as RGB bytes.
  static void picture_rgb(void* data, int x, int y, int w, uchar* buffer) {
    const Pixel* row = static_cast<PictureBoxView*>(data)->shown_.row(y);
    for (int i = 0; i < w; ++i) {
      const Pixel pixel = row[x + i];
      buffer[i * 3] = static_cast<uchar>(pixel >> 16);
      buffer[i * 3 + 1] = static_cast<uchar>(pixel >> 8);
      buffer[i * 3 + 2] = static_cast<uchar>(pixel);
    }
  }

  PictureBox& model_;
  Surface shown_;
};

// The browsers' shared list: rows drawn as given (no format characters), clicks reported by row.
class RowList : public Fl_Browser {
 public:
  RowList() : Fl_Browser(0, 0, 0, 0) {
    format_char(0);
    type(FL_MULTI_BROWSER);
    color(kButtonFace, kButtonPressed);
    textcolor(kButtonText);
    textsize(kButtonTextSize);
  }

 protected:
  // Replaces the rows when they differ from what is shown.
  void show_rows(const std::vector<std::string>& rows) {
    bool same = static_cast<size_t>(size()) == rows.size();
    for (int i = 0; same && i < size(); ++i) same = rows[static_cast<size_t>(i)] == text(i + 1);
    if (same) return;
    clear();
    for (const std::string& row : rows) add(row.c_str());
  }
  void show_selection(int row, bool selected) {
    if ((Fl_Browser::selected(row + 1) != 0) != selected) select(row + 1, selected ? 1 : 0);
  }
  // A press on a row goes to `press` with the row and whether it was a double click, and only
  // while the form is loaded; the mouse's moves go to `mouse`. Keys leave the rows as they are
  // and move the focus on.
  int handle_rows(int event, bool loaded, const std::function<void(int row, bool twice)>& press,
                  const std::function<void(int event)>& mouse) {
    int row = -1;
    if (pressed_row(event, row)) {
      if (loaded && row >= 0) {
        const bool twice = Fl::event_clicks() != 0;
        Fl::event_clicks(0);
        press(row, twice);
      }
      return 1;
    }
    if (event == FL_ENTER || event == FL_MOVE) mouse(event);
    if (event == FL_KEYBOARD) return 0;
    if (event == FL_DRAG || event == FL_RELEASE) return 1;
    return Fl_Browser::handle(event);
  }

 private:
  // A press on a row (not on a scroll bar): its row index, else -1. Returns whether the press
  // belongs to the rows at all.
  bool pressed_row(int event, int& row) {
    row = -1;
    if (event != FL_PUSH || Fl::event_button() != FL_LEFT_MOUSE) return false;
    if (Fl::event_inside(&scrollbar) || Fl::event_inside(&hscrollbar)) return false;
    void* item = find_item(Fl::event_y());
    if (item != nullptr) row = lineno(item) - 1;
    return true;
  }
};

// A list box or a file list: one row per model row, the model's selection shown.
class ListView final : public RowList, public ControlView {
 public:
  ListView(ListBox& model, const ModalForm& form) : ControlView(model, form), model_(model) {}
  Fl_Widget& widget() override { return *this; }
  int handle(int event) override {
    return handle_rows(
        event, form().loaded(),
        [&](int row, bool twice) { twice ? model_.double_click_row(row) : model_.click_row(row, shift_state() & 3); },
        [&](int mouse_event) { handle_mouse(mouse_event); });
  }

 protected:
  void sync_content(bool) override {
    std::vector<std::string> rows;
    for (int i = 0; i < model_.ListCount(); ++i) rows.push_back(model_.List(i));
    show_rows(rows);
    for (int i = 0; i < model_.ListCount(); ++i) show_selection(i, model_.Selected(i));
  }

 private:
  ListBox& model_;
};

// The folder list: the path's folders indented step by step, then the subfolders one step
// further; the current folder and the clicked row are marked.
class FolderView final : public RowList, public ControlView {
 public:
  FolderView(DirListBox& model, const ModalForm& form) : ControlView(model, form), model_(model) {}
  Fl_Widget& widget() override { return *this; }
  int handle(int event) override {
    return handle_rows(
        event, form().loaded(),
        [&](int row, bool twice) { twice ? model_.double_click_row(row) : model_.click_row(row); },
        [&](int mouse_event) { handle_mouse(mouse_event); });
  }

 protected:
  void sync_content(bool) override {
    std::vector<std::string> rows;
    for (size_t i = 0; i < model_.rows.size(); ++i) {
      const std::string& path = model_.rows[i];
      const size_t slash = path.find_last_of('/');
      const std::string name = path == "/" ? "/" : path.substr(slash + 1);
      const int depth = std::min(static_cast<int>(i), model_.depth_of_path);
      rows.push_back(std::string(static_cast<size_t>(depth) * 2, ' ') +
                     (static_cast<int>(i) < model_.depth_of_path ? "[-] " : "[+] ") + name);
    }
    show_rows(rows);
    for (size_t i = 0; i < model_.rows.size(); ++i) {
      const int row = static_cast<int>(i);
      show_selection(row, model_.ListIndex >= 0 ? row == model_.ListIndex : row == model_.depth_of_path - 1);
    }
  }

 private:
  DirListBox& model_;
};

// The drive list: a drop-down of the drives' names.
class DriveView final : public Fl_Choice, public ControlView {
 public:
  DriveView(DriveListBox& model, const ModalForm& form)
      : Fl_Choice(0, 0, 0, 0), ControlView(model, form), model_(model) {
    color(kButtonFace, kButtonPressed);
    textcolor(kButtonText);
    textsize(kButtonTextSize);
    callback(chosen);
  }
  Fl_Widget& widget() override { return *this; }
  int handle(int event) override {
    if (event == FL_ENTER || event == FL_MOVE) handle_mouse(event);
    return Fl_Choice::handle(event);
  }

 protected:
  void sync_content(bool) override {
    if (model_.names != names_) {
      names_ = model_.names;
      labels_.clear();
      for (const std::string& name : names_) labels_.push_back(label_text(name));
      items_.assign(labels_.size() + 1, Fl_Menu_Item{});
      for (size_t i = 0; i < labels_.size(); ++i) {
        items_[i].text = labels_[i].c_str();
        items_[i].labeltype_ = FL_NORMAL_LABEL;
        items_[i].labelsize_ = kButtonTextSize;
        items_[i].labelcolor_ = FL_FOREGROUND_COLOR;
      }
      menu(items_.data());
    }
    const auto found = std::find(model_.paths.begin(), model_.paths.end(), model_.Drive);
    const int row = found == model_.paths.end() ? -1 : static_cast<int>(found - model_.paths.begin());
    if (row >= 0 && value() != row) value(row);
  }

 private:
  static void chosen(Fl_Widget* widget, void*) {
    auto& view = static_cast<DriveView&>(*widget);
    if (view.form().loaded()) view.model_.choose(view.value());
  }

  DriveListBox& model_;
  std::vector<std::string> names_;
  std::vector<std::string> labels_;
  std::vector<Fl_Menu_Item> items_;
};

ControlView* make_view(Control& control, const ModalForm& form) {
  if (auto* image = dynamic_cast<Image*>(&control)) return new PictureView(*image, form);
  if (auto* label = dynamic_cast<Label*>(&control)) return new LabelView(*label, form);
  if (auto* text = dynamic_cast<TextBox*>(&control)) return new TextEntry(*text, form);
  if (auto* button = dynamic_cast<CommandButton*>(&control)) return new ButtonView(*button, form);
  if (auto* check = dynamic_cast<CheckBox*>(&control)) return new CheckView(*check, form);
  if (auto* scroll = dynamic_cast<HScrollBar*>(&control)) return new ScrollView(*scroll, form);
  if (auto* frame = dynamic_cast<Frame*>(&control)) return new FrameView(*frame, form);
  if (auto* box = dynamic_cast<PictureBox*>(&control)) return new PictureBoxView(*box, form);
  if (auto* list = dynamic_cast<ListBox*>(&control)) return new ListView(*list, form);
  if (auto* folders = dynamic_cast<DirListBox*>(&control)) return new FolderView(*folders, form);
  if (auto* drives = dynamic_cast<DriveListBox*>(&control)) return new DriveView(*drives, form);
  return nullptr;
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
    if (dynamic_cast<TextEntry*>(*it) != nullptr) chosen = *it;
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
