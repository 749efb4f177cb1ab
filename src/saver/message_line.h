// The message line: a text box that rises into view from the bottom edge of the saver window,
// stands for a while and sinks out again, one message after another. Nothing enables it, so
// the game never shows it; it stays available as an operation of the saver window.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/controls.h"

namespace quarlyn {

inline constexpr int kScrollerHeight = 30;  // pixels: one line of text
inline constexpr int kScrollerMessages = 100;

struct MessageLine {
  MessageLine() { scroller.bounds.height = kScrollerHeight; }

  TextBox scroller;  // the saver window's message box, placed in window pixels
  int32_t scroller_enabled = 0;
  int32_t scroller_count = 0;
  std::array<std::string, kScrollerMessages + 1> scroller_text;  // messages at 1..scroller_count
  int32_t scroller_index = 0;  // the message shown last
  int32_t scroller_state = 0;  // 0 start the next message, 1 rising, 2 sinking
  int32_t scroller_wait = 0;   // calls still to let pass before the next step
  int32_t scroller_gap = 0;    // wait after a message has left
  int32_t scroller_gap_base = 0;
};

struct Saver;

// One step of the message line; does nothing while it is disabled or has no messages, or
// while the saver has no window to place it in.
void handle_scroller(Saver& saver);

}  // namespace quarlyn
