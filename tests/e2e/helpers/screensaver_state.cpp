// Prints the X server's own screen saver state: "on", "off" or "disabled".
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include <cstdio>

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 2;
  XScreenSaverInfo* info = XScreenSaverAllocInfo();
  if (info == nullptr || !XScreenSaverQueryInfo(display, DefaultRootWindow(display), info)) return 2;
  const char* state = info->state == ScreenSaverOn ? "on" : info->state == ScreenSaverOff ? "off" : "disabled";
  std::puts(state);
  XFree(info);
  XCloseDisplay(display);
  return 0;
}
