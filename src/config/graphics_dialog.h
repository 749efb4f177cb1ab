// The picture list: the 18 game pictures with their paths, each replaceable through the picture
// chooser, or all set back to the program's own. Every change goes into the settings at once;
// there is no cancel.
#pragma once

#include <array>

#include "platform/controls.h"
#include "platform/runtime.h"
#include "startup/settings.h"

namespace quarlyn {

class frm_graphics : public ModalForm {
 public:
  frm_graphics(Runtime& runtime, Settings& settings);

  Image Backdrop;
  std::array<Label, 3> Label3;  // column headings
  std::array<Label, kGraphicsFiles> Label1;  // descriptions
  std::array<Label, kGraphicsFiles> Label2;  // paths
  std::array<CommandButton, kGraphicsFiles> Command2;
  CommandButton Command3, Command1;
  Label Label4;

 private:
  void show_paths();
  void Command2_Click(int index);
  void Command3_Click();

  Runtime& runtime_;
  Settings& settings_;
};

}  // namespace quarlyn
