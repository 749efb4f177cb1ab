#include "platform/x11/root_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <string>

namespace quarlyn {
namespace {

int ignore_x_error(Display*, XErrorEvent*) { return 0; }

// Xlib reports errors through one process-wide handler; this drops them while it lives and
// syncs before putting the previous handler back, so every error of our requests meets it.
class QuietErrors {
 public:
  explicit QuietErrors(Display* display) : display_(display), previous_(XSetErrorHandler(ignore_x_error)) {}
  ~QuietErrors() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  Display* display_;
  XErrorHandler previous_;
};

// One colour channel of a TrueColor pixel, by its mask, scaled to and from 8 bits.
struct Channel {
  unsigned long mask;
  int shift;
  unsigned long top;  // largest value of the channel

  explicit Channel(unsigned long channel_mask)
      : mask(channel_mask),
        shift(channel_mask == 0 ? 0 : std::countr_zero(channel_mask)),
        top(channel_mask == 0 ? 0 : channel_mask >> shift) {}

  Pixel to_8bit(unsigned long pixel) const {
    return top == 0 ? 0 : static_cast<Pixel>(((pixel & mask) >> shift) * 255 / top);
  }
  unsigned long from_8bit(Pixel value) const { return (value * top / 255) << shift; }
};

struct Channels {
  Channel red;
  Channel green;
  Channel blue;

  explicit Channels(const Visual* visual)
      : red(visual->red_mask), green(visual->green_mask), blue(visual->blue_mask) {}

  Pixel to_rgb(unsigned long pixel) const {
    return (red.to_8bit(pixel) << 16) | (green.to_8bit(pixel) << 8) | blue.to_8bit(pixel);
  }
  unsigned long from_rgb(Pixel pixel) const {
    return red.from_8bit((pixel >> 16) & 0xFF) | green.from_8bit((pixel >> 8) & 0xFF) | blue.from_8bit(pixel & 0xFF);
  }
};

// The picture as an image for the screen's visual, at most `width` x `height`.
XImage* screen_image_of(Display* display, const Surface& picture, int width, int height) {
  const int screen = DefaultScreen(display);
  Visual* visual = DefaultVisual(display, screen);
  const int w = std::min(picture.width(), width);
  const int h = std::min(picture.height(), height);
  auto* data = static_cast<char*>(std::malloc(static_cast<size_t>(w) * static_cast<size_t>(h) * 4));
  if (data == nullptr) return nullptr;
  XImage* image = XCreateImage(display, visual, static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap, 0,
                               data, static_cast<unsigned>(w), static_cast<unsigned>(h), 32, 0);
  if (image == nullptr) {
    std::free(data);
    return nullptr;
  }
  const Channels channels(visual);
  for (int y = 0; y < h; ++y) {
    const Pixel* row = picture.row(y);
    for (int x = 0; x < w; ++x) XPutPixel(image, x, y, channels.from_rgb(row[x]));
  }
  return image;
}

Pixmap pixmap_property(Display* display, Window root, Atom property) {
  Atom type = None;
  int format = 0;
  unsigned long items = 0;
  unsigned long bytes_after = 0;
  unsigned char* data = nullptr;
  Pixmap pixmap = None;
  if (XGetWindowProperty(display, root, property, 0, 1, False, XA_PIXMAP, &type, &format, &items, &bytes_after,
                         &data) == Success &&
      type == XA_PIXMAP && format == 32 && items == 1) {
    pixmap = static_cast<Pixmap>(*reinterpret_cast<unsigned long*>(data));
  }
  if (data != nullptr) XFree(data);
  return pixmap;
}

// A pixmap published under both names was kept by a connection that has gone; freeing that
// connection's resources frees the pixmap, which would otherwise stay in the server for good.
void free_previous_background(Display* display, Window root, Atom root_pixmap, Atom esetroot_pixmap) {
  const Pixmap previous = pixmap_property(display, root, esetroot_pixmap);
  if (previous != None && previous == pixmap_property(display, root, root_pixmap)) XKillClient(display, previous);
}

void publish_background(Display* display, Window root, Pixmap pixmap) {
  const Atom root_pixmap = XInternAtom(display, "_XROOTPMAP_ID", False);
  const Atom esetroot_pixmap = XInternAtom(display, "ESETROOT_PMAP_ID", False);
  free_previous_background(display, root, root_pixmap, esetroot_pixmap);
  const auto* id = reinterpret_cast<const unsigned char*>(&pixmap);
  XChangeProperty(display, root, root_pixmap, XA_PIXMAP, 32, PropModeReplace, id, 1);
  XChangeProperty(display, root, esetroot_pixmap, XA_PIXMAP, 32, PropModeReplace, id, 1);
  XSetWindowBackgroundPixmap(display, root, pixmap);
  XClearWindow(display, root);
}

void draw_background(Display* display, const Surface& picture) {
  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  const int width = DisplayWidth(display, screen);
  const int height = DisplayHeight(display, screen);
  const Pixmap pixmap = XCreatePixmap(display, root, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                      static_cast<unsigned>(DefaultDepth(display, screen)));
  GC gc = XCreateGC(display, pixmap, 0, nullptr);
  XSetForeground(display, gc, BlackPixel(display, screen));
  XFillRectangle(display, pixmap, gc, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (XImage* image = screen_image_of(display, picture, width, height)) {
    XPutImage(display, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(image->width),
              static_cast<unsigned>(image->height));
    XDestroyImage(image);
  }
  XFreeGC(display, gc);
  publish_background(display, root, pixmap);
}

}  // namespace

Surface read_root_window(Display* display) {
  const int screen = DefaultScreen(display);
  const int width = DisplayWidth(display, screen);
  const int height = DisplayHeight(display, screen);
  XSync(display, False);
  XImage* image = XGetImage(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return {};
  const Channels channels(DefaultVisual(display, screen));
  Surface shown(width, height);
  for (int y = 0; y < height; ++y) {
    Pixel* row = shown.row(y);
    for (int x = 0; x < width; ++x) row[x] = channels.to_rgb(XGetPixel(image, x, y));
  }
  XDestroyImage(image);
  return shown;
}

void set_root_background(Display* display, const Surface& picture) {
  Display* own = XOpenDisplay(DisplayString(display));
  if (own == nullptr) return;
  {
    QuietErrors quiet(own);
    draw_background(own, picture);
  }
  XSetCloseDownMode(own, RetainPermanent);
  XCloseDisplay(own);
}

void move_pointer(Display* display, int x, int y) {
  XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
  XFlush(display);
}

}  // namespace quarlyn
