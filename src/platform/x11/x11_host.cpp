#include "platform/x11/x11_host.h"

#include <X11/Xatom.h>
#include <X11/extensions/scrnsaver.h>

#include <cstring>
#include <vector>

namespace quarlyn {
namespace {

int ignore_x_error(Display*, XErrorEvent*) { return 0; }

// Windows of other clients can vanish between listing them and reading them. Xlib reports
// errors only through one process-wide handler, so this swaps in a handler that drops them for
// the duration, and syncs before putting the previous one back so that every error caused by
// our requests arrives while ours is in place.
class SilencedErrors {
 public:
  explicit SilencedErrors(Display* display) : display_(display), previous_(XSetErrorHandler(ignore_x_error)) {}
  ~SilencedErrors() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  SilencedErrors(const SilencedErrors&) = delete;
  SilencedErrors& operator=(const SilencedErrors&) = delete;

 private:
  Display* display_;
  XErrorHandler previous_;
};

std::vector<Window> children_of(Display* display, Window window) {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  std::vector<Window> result;
  if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return result;
  result.assign(children, children + count);
  if (children != nullptr) XFree(children);
  return result;
}

// Asks for one 32-bit unit more than `text` needs, so a longer value shows as a length mismatch
// without fetching all of it.
bool property_is(Display* display, Window window, Atom property, Atom type, const std::string& text) {
  Atom actual_type = None;
  int format = 0;
  unsigned long items = 0;
  unsigned long bytes_after = 0;
  unsigned char* data = nullptr;
  const long units = static_cast<long>(text.size() / 4 + 1);
  if (XGetWindowProperty(display, window, property, 0, units, False, type, &actual_type, &format, &items,
                         &bytes_after, &data) != Success) {
    return false;
  }
  const bool equal = actual_type != None && format == 8 && bytes_after == 0 && items == text.size() &&
                     std::memcmp(data, text.data(), items) == 0;
  if (data != nullptr) XFree(data);
  return equal;
}

struct CaptionAtoms {
  Atom net_wm_name;
  Atom net_wm_icon_name;
  Atom utf8_string;
};

// WM_NAME may be STRING, UTF8_STRING or COMPOUND_TEXT; FLTK stores UTF-8 bytes under STRING,
// so the bytes are compared whatever the type says. The icon name counts too: a window whose
// caption says something else can still be found by the name it gives there.
bool has_caption(Display* display, Window window, const CaptionAtoms& atoms, const std::string& caption) {
  return property_is(display, window, atoms.net_wm_name, atoms.utf8_string, caption) ||
         property_is(display, window, XA_WM_NAME, AnyPropertyType, caption) ||
         property_is(display, window, atoms.net_wm_icon_name, atoms.utf8_string, caption) ||
         property_is(display, window, XA_WM_ICON_NAME, AnyPropertyType, caption);
}

bool tree_has_caption(Display* display, Window root, const CaptionAtoms& atoms, const std::string& caption) {
  for (Window top : children_of(display, root)) {
    if (has_caption(display, top, atoms, caption)) return true;
    for (Window child : children_of(display, top)) {
      if (has_caption(display, child, atoms, caption)) return true;
    }
  }
  return false;
}

}  // namespace

bool window_captioned(Display* display, const std::string& caption) {
  const CaptionAtoms atoms{XInternAtom(display, "_NET_WM_NAME", False), XInternAtom(display, "_NET_WM_ICON_NAME", False),
                           XInternAtom(display, "UTF8_STRING", False)};
  SilencedErrors silenced(display);
  for (int screen = 0; screen < ScreenCount(display); ++screen) {
    if (tree_has_caption(display, RootWindow(display, screen), atoms, caption)) return true;
  }
  return false;
}

// Setting an owner replaces any other, so the test for a free selection and the taking must not
// let another client in between: the grab holds every other client's requests for that moment.
bool claim_selection(Display* display, const std::string& name) {
  const Atom selection = XInternAtom(display, name.c_str(), False);
  const Window holder = XCreateWindow(display, DefaultRootWindow(display), -1, -1, 1, 1, 0, CopyFromParent,
                                      InputOnly, CopyFromParent, 0, nullptr);
  XGrabServer(display);
  if (XGetSelectionOwner(display, selection) == None) XSetSelectionOwner(display, selection, holder, CurrentTime);
  XUngrabServer(display);
  const bool owned = XGetSelectionOwner(display, selection) == holder;
  if (!owned) XDestroyWindow(display, holder);
  XFlush(display);
  return owned;
}

bool suspend_screen_saver(Display* display, bool suspend) {
  int event_base = 0;
  int error_base = 0;
  if (!XScreenSaverQueryExtension(display, &event_base, &error_base)) return false;
  // Suspending came with version 1.1 of the extension.
  int major = 0;
  int minor = 0;
  if (!XScreenSaverQueryVersion(display, &major, &minor) || major * 100 + minor < 101) return false;
  XScreenSaverSuspend(display, suspend ? True : False);
  // A blanking that started before the hold would stay over our window: end it.
  if (suspend) XResetScreenSaver(display);
  XFlush(display);
  return true;
}

bool focus_if_viewable(Display* display, Window window) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, window, &attributes) == 0 || attributes.map_state != IsViewable) return false;
  // The window can still be unmapped before the request arrives; that error means nothing here.
  SilencedErrors silenced(display);
  XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
  return true;
}

Keymap query_keymap(Display* display) {
  Keymap keymap{};
  XQueryKeymap(display, keymap.data());
  return keymap;
}

bool key_held(const Keymap& keymap, unsigned int keycode) {
  return keycode < keymap.size() * 8 && (keymap[keycode / 8] & (1 << (keycode % 8))) != 0;
}

namespace {

// The server repeats a held key as a release and a press made at once, after which the key is
// down again. The press is looked for in the queue first: events handled late (a busy wait)
// come after the key's real release, when a keymap query would find it up.
bool repeats(Display* display, const XKeyEvent& release) {
  if (XEventsQueued(display, QueuedAfterReading) > 0) {
    XEvent next;
    XPeekEvent(display, &next);
    if (next.type == KeyPress && next.xkey.keycode == release.keycode && next.xkey.time - release.time <= 1) return true;
  }
  return key_held(query_keymap(display), release.keycode);
}

}  // namespace

void EarlierKeys::mark(Display* display) {
  marked_request_ = NextRequest(display);
  held_at_mark_ = query_keymap(display);
}

bool EarlierKeys::earlier(Display* display, const XEvent& event) {
  if (event.type != KeyPress && event.type != KeyRelease) return false;
  if (event.xkey.serial < marked_request_) return true;
  const unsigned int keycode = event.xkey.keycode;
  if (!key_held(held_at_mark_, keycode)) return false;
  if (event.type == KeyRelease && !repeats(display, event.xkey)) {
    held_at_mark_[keycode / 8] = static_cast<char>(held_at_mark_[keycode / 8] & ~(1 << (keycode % 8)));
  }
  return true;
}

}  // namespace quarlyn
