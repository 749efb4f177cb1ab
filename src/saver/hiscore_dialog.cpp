#include "saver/hiscore_dialog.h"

#include <optional>

#include "platform/picture_files.h"
#include "startup/shell_services.h"

namespace quarlyn {

namespace {

constexpr int kEnter = 13;
constexpr int kGraphicsEntryOfDialog = 18;

}  // namespace

frm_hiscore::frm_hiscore(Saver& saver) : saver_(saver) {
  move({0, 0, 353, 260});
  Image1.bounds = {0, 0, 353, 261};
  Text1.bounds = {54, 210, 157, 19};
  Text1.max_length = 25;
  Command1.bounds = {228, 204, 73, 28};
  Command1.caption = "Ok";
  controls = {&Image1, &Text1, &Command1};
  Form_Load = [this] { load(); };
  Form_Activate = [this] { focus = &Text1; };
  Form_Unload = [this] { unload(); };
  Text1.KeyPress = [this](int character) {
    if (character == kEnter) Unload();
  };
  Command1.Click = [this] { Unload(); };
}

void frm_hiscore::load() {
  center_form(saver_.runtime, *this);
  // A missing or unreadable picture leaves the dialog without one; the box and button still work.
  if (std::optional<Surface> picture = load_picture(saver_.settings.graphics_files[kGraphicsEntryOfDialog]))
    Image1.picture = std::move(*picture);
}

void frm_hiscore::unload() { saver_.window.player_name = Text1.text; }

}  // namespace quarlyn
