// frame_monitor CAPTION SECONDS: waits for the top-level window captioned CAPTION, watches it
// with XDamage for SECONDS seconds and prints how many frames reached the screen and how evenly
// they came. Damage events less than 3 ms apart belong to one presented frame.
//
// Only frames that change the picture (draw into the window) are seen. The falling piece is
// redrawn almost every frame, so the interval median shows the frame period, but pauses of the
// game (a cleared row's flash, the game-over screen) leave long gaps that raise the high
// percentiles.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quarlyn {
namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr Millis same_frame_gap{3.0};
constexpr std::chrono::seconds window_wait{15};

// The saver may close while it is watched; the destroyed window is noticed through its
// DestroyNotify, so the errors of the requests still in flight are harmless.
int ignore_x_error(Display*, XErrorEvent*) { return 0; }

std::optional<std::string> net_wm_name(Display* display, Window window) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  const Atom name_atom = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  if (XGetWindowProperty(display, window, name_atom, 0, 1024, False, utf8, &type, &format, &count, &remaining,
                         &data) != Success)
    return std::nullopt;
  std::optional<std::string> name;
  if (data && type == utf8 && format == 8) name = std::string(reinterpret_cast<char*>(data), count);
  if (data) XFree(data);
  return name;
}

std::optional<std::string> wm_name(Display* display, Window window) {
  XTextProperty property{};
  if (!XGetWMName(display, window, &property)) return std::nullopt;
  std::optional<std::string> name;
  if (property.value) {
    name = std::string(reinterpret_cast<char*>(property.value), property.nitems);
    XFree(property.value);
  }
  return name;
}

bool has_caption(Display* display, Window window, const std::string& caption) {
  return wm_name(display, window) == caption || net_wm_name(display, window) == caption;
}

std::vector<Window> children_of(Display* display, Window window) {
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  std::vector<Window> result;
  if (XQueryTree(display, window, &root, &parent, &children, &count) && children) {
    result.assign(children, children + count);
    XFree(children);
  }
  return result;
}

// The root's children, and one level down for window managers that wrap clients in frames.
std::optional<Window> find_window(Display* display, const std::string& caption) {
  for (Window top : children_of(display, DefaultRootWindow(display))) {
    if (has_caption(display, top, caption)) return top;
    for (Window child : children_of(display, top))
      if (has_caption(display, child, caption)) return child;
  }
  return std::nullopt;
}

// Nearest-rank percentile of sorted values.
double percentile(const std::vector<double>& sorted, double fraction) {
  const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
  return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

void print_figures(const std::vector<Clock::time_point>& events, double seconds) {
  std::vector<Clock::time_point> frames;
  for (std::size_t i = 0; i < events.size(); ++i)
    if (i == 0 || events[i] - events[i - 1] >= same_frame_gap) frames.push_back(events[i]);
  std::printf("presented frames: %zu\n", frames.size());
  std::printf("presented frames per second: %.1f\n", static_cast<double>(frames.size()) / seconds);
  if (frames.size() < 2) {
    std::printf("intervals: too few frames\n");
    return;
  }
  std::vector<double> intervals;
  for (std::size_t i = 1; i < frames.size(); ++i) intervals.push_back(Millis(frames[i] - frames[i - 1]).count());
  std::sort(intervals.begin(), intervals.end());
  std::printf("interval median: %.2f ms\n", percentile(intervals, 0.50));
  std::printf("interval 95th percentile: %.2f ms\n", percentile(intervals, 0.95));
  std::printf("interval 99th percentile: %.2f ms\n", percentile(intervals, 0.99));
  std::printf("interval longest: %.2f ms\n", intervals.back());
}

int run(const std::string& caption, double seconds) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "frame_monitor: cannot open the display\n");
    return 1;
  }
  XSetErrorHandler(ignore_x_error);
  int damage_event = 0, damage_error = 0;
  if (!XDamageQueryExtension(display, &damage_event, &damage_error)) {
    std::fprintf(stderr, "frame_monitor: the X server has no DAMAGE extension\n");
    return 1;
  }

  std::optional<Window> window;
  for (const auto give_up = Clock::now() + window_wait; !(window = find_window(display, caption));) {
    if (Clock::now() >= give_up) {
      std::fprintf(stderr, "frame_monitor: no window captioned '%s'\n", caption.c_str());
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }

  XSelectInput(display, *window, StructureNotifyMask);
  // One event whenever the damage turns non-empty; subtracting re-arms it.
  const Damage damage = XDamageCreate(display, *window, XDamageReportNonEmpty);
  XFlush(display);

  std::vector<Clock::time_point> events;
  const auto start = Clock::now();
  const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  bool window_gone = false;
  for (;;) {
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == damage_event + XDamageNotify) {
        events.push_back(Clock::now());
        XDamageSubtract(display, damage, None, None);
      } else if (event.type == DestroyNotify && event.xdestroywindow.window == *window) {
        window_gone = true;
      }
    }
    XFlush(display);
    const auto now = Clock::now();
    if (window_gone || now >= end) break;
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(end - now);
    poll(&fd, 1, static_cast<int>(wait.count()));
  }

  const double watched = std::chrono::duration<double>(std::min(Clock::now(), end) - start).count();
  if (window_gone)
    std::printf("the window closed after %.1f s\n", watched);
  else
    XDamageDestroy(display, damage);
  print_figures(events, watched);
  XCloseDisplay(display);
  return 0;
}

}  // namespace
}  // namespace quarlyn

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: frame_monitor CAPTION SECONDS\n");
    return 2;
  }
  char* rest = nullptr;
  const double seconds = std::strtod(argv[2], &rest);
  if (*rest != '\0' || !(seconds > 0)) {
    std::fprintf(stderr, "frame_monitor: SECONDS must be a positive number\n");
    return 2;
  }
  return quarlyn::run(argv[1], seconds);
}
