#include "platform/fltk/list_views_fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Choice.H>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace quarlyn {

namespace {

// FLTK reads "@" at a row's start as formatting until "@." ends it, so such a row gets that
// prefix to be drawn as given. (Turning the format character off instead makes FLTK read past
// the end of an empty row.)
std::string shown_row(const std::string& row) { return row.starts_with('@') ? "@." + row : row; }

// The browsers' shared list: rows drawn as given, clicks reported by row.
class RowList : public Fl_Browser {
 public:
  RowList() : Fl_Browser(0, 0, 0, 0) {
    type(FL_MULTI_BROWSER);
    color(kButtonFace, kButtonPressed);
    textcolor(kButtonText);
    textsize(kButtonTextSize);
  }

 protected:
  // Replaces the rows when they differ from what is shown. Rows added below those shown are
  // scrolled into view, so the person sees that they came.
  void show_rows(const std::vector<std::string>& rows) {
    const size_t shown = static_cast<size_t>(size());
    bool kept = shown <= rows.size();
    for (size_t i = 0; kept && i < shown; ++i) kept = shown_row(rows[i]) == text(static_cast<int>(i) + 1);
    if (kept && shown == rows.size()) return;
    clear();
    for (const std::string& row : rows) add(shown_row(row).c_str());
    if (kept && shown > 0) bottomline(size());
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
    if (on_scroll_bar(scrollbar) || on_scroll_bar(hscrollbar)) return false;
    void* item = find_item(Fl::event_y());
    if (item != nullptr) row = lineno(item) - 1;
    return true;
  }
  // A hidden scroll bar keeps its place over the bottom or right edge of the rows.
  static bool on_scroll_bar(Fl_Widget& bar) { return bar.visible() != 0 && Fl::event_inside(&bar) != 0; }
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

}  // namespace

ControlView* make_list_view(Control& control, const ModalForm& form) {
  if (auto* list = dynamic_cast<ListBox*>(&control)) return new ListView(*list, form);
  if (auto* folders = dynamic_cast<DirListBox*>(&control)) return new FolderView(*folders, form);
  if (auto* drives = dynamic_cast<DriveListBox*>(&control)) return new DriveView(*drives, form);
  return nullptr;
}

}  // namespace quarlyn
