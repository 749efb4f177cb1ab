// The X11 facilities the real runtime needs beyond what FLTK offers.
//
// Contract:
// - `window_captioned` looks at every top-level window of every screen, and at the children of
//   each one (a reparenting window manager puts the client window one level down), and is true
//   when one of them carries exactly `caption` as its _NET_WM_NAME (UTF8_STRING) or its
//   WM_NAME, or as its icon name (_NET_WM_ICON_NAME or WM_ICON_NAME). Windows of any client count, this one included. Windows that vanish during the
//   search are skipped quietly.
// - `claim_selection` makes this connection the owner of the selection `name`, unless another
//   client owns it: the test and the taking are one step under a server grab, so of clients that
//   claim at the same moment exactly one gets it. The selection stays this connection's until it
//   closes (an unmapped window of its own holds it); the X server frees it then by itself.
// - `suspend_screen_saver` holds off or allows again the server's screen saver for this
//   connection; the server lifts a hold by itself when the connection closes.
// - `focus_if_viewable` gives `window` the keyboard focus once it is on screen, so a dialog
//   takes keys even without a window manager to hand it the focus.
// - `query_keymap` is one round trip: the keys down now, one bit per X keycode.
// - `EarlierKeys` tells the key events that belong to the time before `mark`: those the server
//   made before it (an event carries the number of the last request the server had handled),
//   and those of keys held down at the mark, up to and including their release (not the
//   release and press by which the server repeats a held key).
//
// Internal to src/platform: it includes Xlib, so only the real platform files include it.
#pragma once

#include <X11/Xlib.h>

#include <array>
#include <limits>
#include <string>

namespace quarlyn {

bool window_captioned(Display* display, const std::string& caption);

// Returns whether this connection owns the selection now.
bool claim_selection(Display* display, const std::string& name);

// Returns false when the server lacks the screen-saver extension.
bool suspend_screen_saver(Display* display, bool suspend);

// Returns false while `window` is not viewable yet; call again once it is mapped.
bool focus_if_viewable(Display* display, Window window);

using Keymap = std::array<char, 32>;

Keymap query_keymap(Display* display);
bool key_held(const Keymap& keymap, unsigned int keycode);

class EarlierKeys {
 public:
  void mark(Display* display);
  bool earlier(Display* display, const XEvent& event);

 private:
  unsigned long marked_request_ = std::numeric_limits<unsigned long>::max();
  Keymap held_at_mark_{};
};

}  // namespace quarlyn
