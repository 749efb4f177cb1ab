#include "platform/controls.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/file_listing.h"

namespace quarlyn {

void TextBox::type(int character) {
  if (KeyPress) KeyPress(character);
  if (character == 8) {
    if (!text.empty()) text.pop_back();
  } else if (character >= 32 && character != 127 && (max_length == 0 || static_cast<int>(text.size()) < max_length)) {
    text += static_cast<char>(character);
  }
}

void TextBox::type_text(const std::string& characters) {
  for (char c : characters) type(static_cast<unsigned char>(c));
}

void CheckBox::click() {
  Value = Value == 0 ? 1 : 0;
  if (Click) Click();
}

void HScrollBar::scroll_to(int value) {
  const auto clamped = static_cast<int16_t>(std::clamp(value, static_cast<int>(std::min(Min, Max)),
                                                       static_cast<int>(std::max(Min, Max))));
  if (clamped == Value) return;
  Value = clamped;
  if (Change) Change();
}

namespace {
// Row indexes are 16-bit; rows beyond the last index are not taken.
constexpr size_t kMaxRows = INT16_MAX;
}  // namespace

void ListBox::AddItem(const std::string& text) {
  if (rows_.size() >= kMaxRows) return;
  rows_.push_back(text);
  selected_.push_back(false);
}

void ListBox::RemoveItem(int row) {
  if (row < 0 || row >= ListCount()) return;
  rows_.erase(rows_.begin() + row);
  selected_.erase(selected_.begin() + row);
  if (ListIndex == row) {
    ListIndex = -1;
  } else if (ListIndex > row) {
    --ListIndex;
  }
}

void ListBox::Clear() { set_rows({}); }

void ListBox::set_rows(std::vector<std::string> rows) {
  rows_ = std::move(rows);
  if (rows_.size() > kMaxRows) rows_.resize(kMaxRows);
  selected_.assign(rows_.size(), false);
  ListIndex = -1;
  anchor_ = 0;
}

void ListBox::click_row(int row, int shift) {
  if (row < 0 || row >= ListCount()) return;
  const bool extend = MultiSelect && (shift & 1) != 0;
  const bool toggle = MultiSelect && (shift & 2) != 0 && !extend;
  if (toggle) {
    selected_[static_cast<size_t>(row)] = !selected_[static_cast<size_t>(row)];
  } else {
    const int from = extend ? std::min(anchor_, row) : row;
    const int to = extend ? std::max(anchor_, row) : row;
    for (int i = 0; i < ListCount(); ++i) selected_[static_cast<size_t>(i)] = i >= from && i <= to;
  }
  if (!extend) anchor_ = row;
  ListIndex = static_cast<int16_t>(row);
  if (Click) Click();
}

void ListBox::double_click_row(int row) {
  click_row(row);
  if (row >= 0 && row < ListCount() && DblClick) DblClick();
}

void PictureBox::set_picture(Surface loaded) {
  if (loaded.empty()) {
    Cls();
    return;
  }
  picture = std::move(loaded);
  if (AutoSize) {
    bounds.width = picture.width();
    bounds.height = picture.height();
  }
}

void PictureBox::Cls() {
  picture = AutoSize ? Surface() : Surface(bounds.width, bounds.height, BackColor);
}

void PictureBox::PaintPicture(const PictureBox& source, float x, float y, float w, float h) {
  if (picture.width() != bounds.width || picture.height() != bounds.height) Cls();
  if (source.picture.empty()) return;
  paint_picture(picture, source.picture, static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)),
                static_cast<int>(std::lround(w)), static_cast<int>(std::lround(h)));
}

void DriveListBox::set_drive(const std::string& path) {
  const std::vector<quarlyn::Drive> drives = list_drives();
  names.clear();
  paths.clear();
  for (const quarlyn::Drive& drive : drives) {
    names.push_back(drive.name);
    paths.push_back(drive.path);
  }
  Drive = drive_of(drives, path).path;
}

void DriveListBox::choose(int row) {
  if (row < 0 || row >= static_cast<int>(paths.size()) || paths[static_cast<size_t>(row)] == Drive) return;
  Drive = paths[static_cast<size_t>(row)];
  if (Change) Change();
}

bool DirListBox::set_path(std::string folder) {
  std::optional<std::vector<std::string>> folders = list_folders(folder);
  if (!folders) return false;
  const bool changed = folder != Path;
  Path = folder;
  rows = folder_chain(folder);
  depth_of_path = static_cast<int>(rows.size());
  for (const std::string& name : *folders) rows.push_back(join_path(folder, name));
  ListIndex = -1;
  if (changed && Change) Change();
  return true;
}

void DirListBox::click_row(int row) {
  if (row < 0 || row >= static_cast<int>(rows.size())) return;
  ListIndex = row;
  if (Click) Click();
}

void DirListBox::double_click_row(int row) {
  click_row(row);
  if (row >= 0 && row < static_cast<int>(rows.size())) set_path(rows[static_cast<size_t>(row)]);
}

bool FileListBox::set_path(const std::string& folder) {
  std::optional<std::vector<std::string>> files = list_files(folder, Pattern);
  if (!files) return false;
  Path = folder;
  set_rows(std::move(*files));
  return true;
}

void ModalForm::bring_to_front(Control& control) {
  std::erase(controls, &control);
  controls.push_back(&control);
}

void ModalForm::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  shown_ = false;
  if (Form_Unload) Form_Unload();
}

}  // namespace quarlyn
