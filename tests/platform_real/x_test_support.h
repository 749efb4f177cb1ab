// Helpers for tests in a real X session: reading back what is on screen and driving xdotool.
// Include after <gtest/gtest.h>: Xlib's macros (None, KeyPress) would break it.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/runtime.h"
#include "platform/surface.h"
#include "platform/waiting.h"

namespace quarlyn::testing {

// The whole first screen as the X server shows it now.
class Screenshot {
 public:
  explicit Screenshot(Display* display) {
    XSync(display, False);
    image_ = XGetImage(display, DefaultRootWindow(display), 0, 0, DisplayWidth(display, 0), DisplayHeight(display, 0),
                       AllPlanes, ZPixmap);
  }
  ~Screenshot() {
    if (image_ != nullptr) XDestroyImage(image_);
  }
  Screenshot(const Screenshot&) = delete;
  Screenshot& operator=(const Screenshot&) = delete;

  Pixel at(int x, int y) const { return static_cast<Pixel>(XGetPixel(image_, x, y)) & 0xFFFFFF; }

 private:
  XImage* image_ = nullptr;
};

// What a window manager sends when the close button is pressed.
inline void request_close(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
}

// Yields for `ms` milliseconds of the runtime's clock.
inline void yield_for(Runtime& runtime, int32_t ms) {
  yield_until_reached(runtime, clock_add(runtime.time_get_time(), ms));
}

// Yields in short sleeps until `done` holds; false when it still does not after three seconds.
inline bool yield_until_done(Runtime& runtime, const std::function<bool()>& done) {
  const int32_t deadline = clock_add(runtime.time_get_time(), 3000);
  while (!done()) {
    if (clock_reached(runtime.time_get_time(), deadline)) return false;
    runtime.yield_until(clock_add(runtime.time_get_time(), 20));
  }
  return true;
}

// Starts xdotool with these arguments; returns 0 when it could not be started.
inline pid_t start_xdotool(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "xdotool");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  return posix_spawnp(&child, "xdotool", nullptr, nullptr, argv.data(), environ) == 0 ? child : 0;
}

// Runs xdotool to its end; keys it sends queue up at the server until events are handled.
inline void run_xdotool(std::vector<std::string> arguments) {
  const pid_t child = start_xdotool(std::move(arguments));
  ASSERT_NE(child, 0) << "xdotool could not be started";
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace quarlyn::testing
