// The options dialog: the saver's frame rate, music and sound effects, and the way to the picture
// list and the music playlist. It writes the three settings back whichever way it closes; the
// configuration window saves them afterwards.
#pragma once

#include "platform/controls.h"
#include "platform/runtime.h"
#include "startup/settings.h"

namespace quarlyn {

inline constexpr int kFastestFrameRate = 1;
inline constexpr int kSlowestFrameRate = 40;

class frm_options : public ModalForm {
 public:
  frm_options(Runtime& runtime, Settings& settings);

  Image Picture1;
  Frame Frame1;
  HScrollBar HScroll1;
  Label Label2, Label3, Label5;
  CheckBox Check2, Check1;
  CommandButton Command2, Command4, Command1;

 private:
  void load();
  void unload();
  void Command2_Click();
  void Command4_Click();

  Runtime& runtime_;
  Settings& settings_;
};

}  // namespace quarlyn
