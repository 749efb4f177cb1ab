// A full-screen window that shows one surface (the play screen) centred, grabs the keyboard
// while it is up, and reports its events to a handler.
//
// Contract:
// - `show` maps the window over the whole screen. Its first activation reaches the handler
//   from inside a later yield, never from inside `show`, so a handler that runs for a long time
//   (the saver's frame loop) runs nested in the event handling.
// - The shown surface is presented from its pixels: at every wait (`yield_until`), the areas of
//   the surface that changed since the last wait (its change tracking, which `show_surface`
//   switches on) are drawn, centred in the window; the rest of the window is black. A bare
//   `yield` draws none of them. An expose repaints from the pixels at once and also reports
//   `Form_Paint`.
// - Key presses arrive as Windows virtual-key codes (`Form_KeyDown`) and, for keys that type a
//   character, as that character (`ascreen_KeyPress`). Pointer motion arrives as `Form_MouseMove`.
// - `close` hides the window and releases the keyboard; no event reaches the handler after it.
#pragma once

#include <memory>
#include <string>

#include "platform/form.h"
#include "platform/surface.h"

namespace quarlyn {

class ScreenWindowHandler {
 public:
  virtual ~ScreenWindowHandler() = default;
  virtual void Form_Activate() = 0;
  virtual void Form_Paint() = 0;
  virtual void Form_Resize() = 0;
  virtual void Form_KeyDown(int key_code, int shift) = 0;
  virtual void ascreen_KeyPress(int character) = 0;
  virtual void Form_MouseMove() = 0;
};

class ScreenWindow : public Form {
 public:
  virtual void show() = 0;
  virtual void close() = 0;
  virtual bool shown() const = 0;
  // The surface to present; it must outlive the window or be replaced.
  virtual void show_surface(Surface& screen) = 0;
  // The window's one text box: bold 24-point sans-serif text in a 117x46 box whose top-left
  // corner is at (462, 340) from the shown surface's (the centred play screen), in front of it.
  virtual void set_time_box(const std::string& text, bool visible) = 0;
};

}  // namespace quarlyn
