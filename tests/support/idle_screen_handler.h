// A screen-window handler that does nothing, for tests that need a window but none of its events.
#pragma once

#include "platform/screen_window.h"

namespace quarlyn::testing {

struct IdleHandler : ScreenWindowHandler {
  void Form_Activate() override {}
  void Form_Paint() override {}
  void Form_Resize() override {}
  void Form_KeyDown(int, int) override {}
  void ascreen_KeyPress(int) override {}
  void Form_MouseMove() override {}
};

}  // namespace quarlyn::testing
