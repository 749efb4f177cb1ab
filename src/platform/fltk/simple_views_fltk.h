// The widgets of the controls that are not lists: pictures, labels, text boxes, buttons, check
// boxes, scroll bars, frames and picture boxes.
#pragma once

#include "platform/fltk/control_view_fltk.h"

namespace quarlyn {

// The view for a control of these kinds; none for another kind.
ControlView* make_simple_view(Control& control, const ModalForm& form);

}  // namespace quarlyn
