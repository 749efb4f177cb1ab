#include "platform/fltk/simple_views_fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/fl_draw.H>

// fl_draw.H brings Xlib's event-type macro, which would replace the model's `KeyPress` member.
#undef KeyPress

#include <algorithm>
#include <cmath>
#include <span>
#include <string_view>

#include "platform/fltk/push_button.h"
#include "platform/fltk/virtual_keys.h"

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
  // Only inside the box: a word wider than the box, or lines below it, would lie over the
  // controls around it and stay there after the caption changed, since only the box is
  // repainted then. Of the lines, only those that fit whole: a line cut through reads as a
  // stray mark.
  void draw() override {
    fl_font(labelfont(), labelsize());
    const int line_height = std::max(fl_height(), 1);
    fl_push_clip(x(), y(), w(), std::min(h(), std::max(h() / line_height, 1) * line_height));
    draw_label();
    fl_pop_clip();
  }
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

}  // namespace

ControlView* make_simple_view(Control& control, const ModalForm& form) {
  if (auto* image = dynamic_cast<Image*>(&control)) return new PictureView(*image, form);
  if (auto* label = dynamic_cast<Label*>(&control)) return new LabelView(*label, form);
  if (auto* text = dynamic_cast<TextBox*>(&control)) return new TextEntry(*text, form);
  if (auto* button = dynamic_cast<CommandButton*>(&control)) return new ButtonView(*button, form);
  if (auto* check = dynamic_cast<CheckBox*>(&control)) return new CheckView(*check, form);
  if (auto* scroll = dynamic_cast<HScrollBar*>(&control)) return new ScrollView(*scroll, form);
  if (auto* frame = dynamic_cast<Frame*>(&control)) return new FrameView(*frame, form);
  if (auto* box = dynamic_cast<PictureBox*>(&control)) return new PictureBoxView(*box, form);
  return nullptr;
}

}  // namespace quarlyn
