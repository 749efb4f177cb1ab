// The name-entry dialog of a new high score: the high-score picture with a name box and an
// "Ok" button. Closing it by Enter or Ok hands the typed name back in `player_name`.
#pragma once

#include "platform/controls.h"
#include "saver/saver_context.h"

namespace quarlyn {

class frm_hiscore : public ModalForm {
 public:
  explicit frm_hiscore(Saver& saver);

  Image Image1;
  TextBox Text1;
  CommandButton Command1;

 private:
  void load();
  void unload();

  Saver& saver_;
};

}  // namespace quarlyn
