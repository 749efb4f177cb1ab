#include "platform/fltk/surface_presenter.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace quarlyn {

namespace {

// Xlib error handlers take no context, so a refused attachment is noted here; it is only
// looked at during the one synchronous attach below.
std::atomic<bool> attach_refused{false};

int note_refusal(Display*, XErrorEvent*) {
  attach_refused = true;
  return 0;
}

bool surface_layout_matches(Display* display, const XVisualInfo& visual) {
  if (visual.c_class != TrueColor || visual.red_mask != 0xFF0000 || visual.green_mask != 0xFF00 ||
      visual.blue_mask != 0xFF) {
    return false;
  }
  const int native = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  if (ImageByteOrder(display) != native) return false;
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
  bool matches = false;
  for (int i = 0; i < count; ++i) {
    if (formats[i].depth == visual.depth) matches = formats[i].bits_per_pixel == 32;
  }
  if (formats != nullptr) XFree(formats);
  return matches;
}

// Shared memory only works with a server on this machine; a forwarded or TCP display cannot
// see our segments.
bool local_connection(Display* display) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  return getsockname(ConnectionNumber(display), reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
         address.ss_family == AF_UNIX;
}

// One channel of 8 bits placed where `mask` keeps it, cut (or widened) to the mask's bits: the
// same colour on every frame and wherever it is drawn, as dithering would not be.
unsigned long place_channel(Pixel value, unsigned long mask) {
  if (mask == 0) return 0;
  const int bits = std::popcount(mask);
  const unsigned long scaled = bits <= 8 ? value >> (8 - bits) : static_cast<unsigned long>(value) << (bits - 8);
  return scaled << std::countr_zero(mask);
}

unsigned long visual_pixel(Pixel pixel, const XVisualInfo& visual) {
  return place_channel((pixel >> 16) & 0xFF, visual.red_mask) | place_channel((pixel >> 8) & 0xFF, visual.green_mask) |
         place_channel(pixel & 0xFF, visual.blue_mask);
}

// 0x00RRGGBB words are B, G, R, 0 in memory on little-endian machines, so each row is rewritten
// as the R, G, B bytes fl_draw_image reads.
struct ConvertedArea {
  const Surface* surface;
  int left;
  int top;
};

void convert_row(void* data, int x, int y, int width, uchar* buffer) {
  const auto& area = *static_cast<const ConvertedArea*>(data);
  const Pixel* pixels = area.surface->row(area.top + y) + area.left + x;
  for (int i = 0; i < width; ++i) {
    buffer[3 * i] = static_cast<uchar>(pixels[i] >> 16);
    buffer[3 * i + 1] = static_cast<uchar>(pixels[i] >> 8);
    buffer[3 * i + 2] = static_cast<uchar>(pixels[i]);
  }
}

}  // namespace

struct SurfacePresenter::State {
  ~State() { release(); }

  void decide() {
    if (path != Path::kUndecided) return;
    path = fl_visual->c_class == TrueColor ? Path::kConverted : Path::kDrawImage;
    if (!surface_layout_matches(fl_display, *fl_visual)) return;
    path = Path::kPutImage;
    if (std::getenv("QUARLYN_NO_SHM") == nullptr && local_connection(fl_display) && XShmQueryExtension(fl_display)) {
      path = Path::kSharedMemory;
    }
  }

  // Sizes the copy; shared memory the server refuses falls back to XPutImage for good.
  void size_to(int new_width, int new_height) {
    if (new_width == width && new_height == height) return;
    release();
    width = new_width;
    height = new_height;
    if (path == Path::kSharedMemory && !attach_shared()) path = Path::kPutImage;
    if (path == Path::kPutImage) {
      image = XCreateImage(fl_display, fl_visual->visual, fl_visual->depth, ZPixmap, 0, nullptr, width, height, 32,
                           width * 4);
    }
    if (path == Path::kConverted) {
      image = XCreateImage(fl_display, fl_visual->visual, fl_visual->depth, ZPixmap, 0, nullptr, width, height, 32, 0);
      converted.assign(static_cast<size_t>(image->bytes_per_line) * height, 0);
      image->data = converted.data();
    }
    if (path != Path::kSharedMemory) copy.assign(static_cast<size_t>(width) * height, 0);
  }

  bool attach_shared() {
    image = XShmCreateImage(fl_display, fl_visual->visual, fl_visual->depth, ZPixmap, nullptr, &segment, width, height);
    if (image == nullptr) return false;
    segment.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * height, IPC_CREAT | 0600);
    void* memory = segment.shmid < 0 ? reinterpret_cast<void*>(-1) : shmat(segment.shmid, nullptr, 0);
    if (memory == reinterpret_cast<void*>(-1)) {
      if (segment.shmid >= 0) shmctl(segment.shmid, IPC_RMID, nullptr);
      forget_image();
      return false;
    }
    segment.shmaddr = image->data = static_cast<char*>(memory);
    segment.readOnly = True;
    XSync(fl_display, False);
    attach_refused = false;
    XErrorHandler previous = XSetErrorHandler(note_refusal);
    XShmAttach(fl_display, &segment);
    XSync(fl_display, False);
    XSetErrorHandler(previous);
    // Marked for removal now, so the segment goes away with the last process using it.
    shmctl(segment.shmid, IPC_RMID, nullptr);
    if (!attach_refused) return true;
    shmdt(segment.shmaddr);
    segment = {};
    forget_image();
    return false;
  }

  void forget_image() {
    if (image == nullptr) return;
    image->data = nullptr;
    XDestroyImage(image);
    image = nullptr;
  }

  void release() {
    if (segment.shmaddr != nullptr) {
      XShmDetach(fl_display, &segment);
      XSync(fl_display, False);
      shmdt(segment.shmaddr);
      segment = {};
    }
    forget_image();
    copy.clear();
    converted.clear();
    width = height = 0;
  }

  Pixel* row(int y) { return rows() + static_cast<size_t>(y) * row_stride(); }
  Pixel* rows() { return path == Path::kSharedMemory ? reinterpret_cast<Pixel*>(image->data) : copy.data(); }
  // In pixels: the server's rows of 32-bit pixels are whole pixels apart.
  size_t row_stride() const {
    return path == Path::kSharedMemory ? static_cast<size_t>(image->bytes_per_line) / sizeof(Pixel) : width;
  }

  Path path = Path::kUndecided;
  int width = 0;
  int height = 0;
  std::vector<Pixel> copy;
  // The visual's own pixels, for a TrueColor visual of another layout.
  std::vector<char> converted;
  XImage* image = nullptr;
  XShmSegmentInfo segment{};
};

SurfacePresenter::SurfacePresenter() : state_(std::make_unique<State>()) {}

SurfacePresenter::~SurfacePresenter() = default;

SurfacePresenter::Path SurfacePresenter::path() const { return state_->path; }

void SurfacePresenter::reset(const Surface& surface) {
  State& s = *state_;
  s.decide();
  s.size_to(surface.width(), surface.height());
  for (int y = 0; y < s.height; ++y) std::memcpy(s.row(y), surface.row(y), sizeof(Pixel) * s.width);
}

bool SurfacePresenter::update(const Surface& surface, const Rect& area) {
  State& s = *state_;
  if (surface.width() != s.width || surface.height() != s.height) {
    reset(surface);
    return true;
  }
  bool differed = false;
  const size_t bytes = sizeof(Pixel) * area.width;
  const Pixel* const source_first = surface.row(area.top) + area.left;
  Pixel* const kept_first = s.row(area.top) + area.left;
  const size_t kept_stride = s.row_stride();
  for (int y = 0; y < area.height; ++y) {
    const Pixel* source = source_first + static_cast<size_t>(y) * s.width;
    Pixel* kept = kept_first + static_cast<size_t>(y) * kept_stride;
    if (std::memcmp(source, kept, bytes) == 0) continue;
    differed = true;
    std::memcpy(kept, source, bytes);
  }
  return differed;
}

void SurfacePresenter::send(const Surface& surface, const Rect& area, int x, int y) {
  State& s = *state_;
  switch (s.path) {
    case Path::kSharedMemory:
      XShmPutImage(fl_display, fl_window, fl_gc, s.image, area.left, area.top, x, y, area.width, area.height, False);
      return;
    case Path::kPutImage:
      // The surface's rows are read where they stand; the image only describes them.
      s.image->data = reinterpret_cast<char*>(const_cast<Pixel*>(surface.row(0)));
      XPutImage(fl_display, fl_window, fl_gc, s.image, area.left, area.top, x, y, area.width, area.height);
      s.image->data = nullptr;
      return;
    case Path::kConverted:
      for (int row = area.top; row < area.top + area.height; ++row) {
        const Pixel* pixels = surface.row(row);
        for (int column = area.left; column < area.left + area.width; ++column) {
          XPutPixel(s.image, column, row, visual_pixel(pixels[column], *fl_visual));
        }
      }
      XPutImage(fl_display, fl_window, fl_gc, s.image, area.left, area.top, x, y, area.width, area.height);
      return;
    case Path::kUndecided:
    case Path::kDrawImage: {
      ConvertedArea converted{&surface, area.left, area.top};
      fl_draw_image(convert_row, &converted, x, y, area.width, area.height, 3);
      return;
    }
  }
}

}  // namespace quarlyn
