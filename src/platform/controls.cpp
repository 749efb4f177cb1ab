#include "platform/controls.h"

#include <algorithm>

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
