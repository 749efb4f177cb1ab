// The widgets of the lists: list boxes and file lists, the folder list and the drive list.
#pragma once

#include "platform/fltk/control_view_fltk.h"

namespace quarlyn {

// The view for a control of these kinds; none for another kind.
ControlView* make_list_view(Control& control, const ModalForm& form);

}  // namespace quarlyn
