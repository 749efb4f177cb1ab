#include "saver/message_line.h"

#include <algorithm>
#include <cmath>

#include "saver/saver_context.h"

namespace quarlyn {

namespace {

constexpr int32_t kHoldCalls = 300;
constexpr double kSinkTwips = 100;

// How far below the window's bottom edge a sinking message goes: 100 twips in whole pixels.
// A box whose top has reached this many pixels below the edge has passed the 100 twips.
int sink_depth(Runtime& runtime) {
  const double twips_per_pixel = runtime.twips_per_pixel_y();
  return static_cast<int>(std::ceil(kSinkTwips / (twips_per_pixel > 0 ? twips_per_pixel : 15)));
}

// A box moving under the pointer makes the window report mouse moves; holding the count at half
// the threshold keeps those from ever ending the saver.
void keep_mouse_rule_quiet(Saver& saver) {
  saver.window.mouse_moves = static_cast<int16_t>(saver.window.mouse_threshold / 2);
}

void start_next_message(MessageLine& line, const Rect& window) {
  TextBox& box = line.scroller;
  box.bounds.width = window.width;
  box.bounds.left = 0;
  box.bounds.top = window.height;
  ++line.scroller_index;
  if (line.scroller_index > std::min(line.scroller_count, kScrollerMessages) || line.scroller_index < 1)
    line.scroller_index = 1;
  box.text = line.scroller_text[line.scroller_index];
  box.visible = true;
  line.scroller_state = 1;
}

}  // namespace

void handle_scroller(Saver& saver) {
  MessageLine& line = saver.message_line;
  if (line.scroller_enabled == 0 || line.scroller_count == 0 || saver.screen_window == nullptr) return;
  if (line.scroller_wait != 0) {
    if (--line.scroller_wait > 0) return;
  }
  const Rect window = saver.screen_window->bounds();
  TextBox& box = line.scroller;
  if (line.scroller_state == 0) start_next_message(line, window);
  if (line.scroller_state == 1) {
    if (box.bounds.top > window.height - box.bounds.height) {
      --box.bounds.top;
      keep_mouse_rule_quiet(saver);
      return;
    }
    line.scroller_state = 2;
    line.scroller_wait = kHoldCalls;
  }
  if (line.scroller_state == 2) {
    if (box.bounds.top < window.height + sink_depth(saver.runtime)) {
      ++box.bounds.top;
      keep_mouse_rule_quiet(saver);
      return;
    }
    line.scroller_state = 0;
    line.scroller_wait = line.scroller_gap;
  }
}

}  // namespace quarlyn
