// The screen as the wallpaper and the pointer, with the real runtime against a real X server
// (Xvfb, no window manager), observed through a second connection as another client sees it.
#include "saver/wallpaper_and_pointer.h"

// GoogleTest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/fltk/real_runtime.h"
#include "platform/picture_files.h"
#include "platform/settings_store.h"
#include "platform_real/x_test_support.h"
#include "support/idle_screen_handler.h"
#include "support/scoped_env.h"

namespace quarlyn {
namespace {

namespace fs = std::filesystem;

fs::path make_temp_folder() {
  std::string pattern = (fs::temp_directory_path() / "quarlyn-wallpaper-XXXXXX").string();
  return mkdtemp(pattern.data());
}

using testing::IdleHandler;

using testing::ScopedEnv;

Surface read_pixmap(Display* display, Pixmap pixmap, int width, int height) {
  Surface picture;
  XImage* image = XGetImage(display, pixmap, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (image == nullptr) return picture;
  picture = Surface(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.set_pixel(x, y, static_cast<Pixel>(XGetPixel(image, x, y)) & 0xFFFFFF);
  XDestroyImage(image);
  return picture;
}

Pixmap root_pixmap(Display* display, const char* property) {
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  Pixmap pixmap = None;
  if (XGetWindowProperty(display, DefaultRootWindow(display), XInternAtom(display, property, False), 0, 1, False,
                         XA_PIXMAP, &type, &format, &items, &after, &data) == Success &&
      items == 1)
    pixmap = *reinterpret_cast<unsigned long*>(data);
  if (data != nullptr) XFree(data);
  return pixmap;
}

bool same_pixels(const Surface& a, const Surface& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  for (int y = 0; y < a.height(); ++y)
    if (!std::equal(a.row(y), a.row(y) + a.width(), b.row(y))) return false;
  return true;
}

bool same_as_screen(const Surface& picture, Display* display) {
  const testing::Screenshot shown(display);
  if (picture.width() != DisplayWidth(display, 0) || picture.height() != DisplayHeight(display, 0)) return false;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.pixel(x, y) != shown.at(x, y)) return false;
  return true;
}

int ignore_x_error(Display*, XErrorEvent*) { return 0; }

bool pixmap_exists(Display* display, Pixmap pixmap) {
  XSync(display, False);
  const XErrorHandler previous = XSetErrorHandler(ignore_x_error);
  Window root = 0;
  int x = 0, y = 0;
  unsigned int width = 0, height = 0, border = 0, depth = 0;
  const bool exists = XGetGeometry(display, pixmap, &root, &x, &y, &width, &height, &border, &depth) != 0;
  XSync(display, False);
  XSetErrorHandler(previous);
  return exists;
}

std::string read_text(const fs::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class WallpaperOnScreenTest : public ::testing::Test {
 protected:
  WallpaperOnScreenTest() {
    // A stand-in for the desktop's settings tool: it logs what it was asked to set.
    fs::create_directory(folder_ / "bin");
    const std::string log = (folder_ / "gsettings.log").string();
    std::ofstream(folder_ / "bin" / "gsettings") << "#!/bin/sh\necho \"$@\" >> \"" << log << "\"\n";
    fs::permissions(folder_ / "bin" / "gsettings", fs::perms::owner_all);
    saver_.screen_window = window_.get();
    saver_.window.screen_width = runtime_.screen_width();
    saver_.window.screen_height = runtime_.screen_height();
  }
  ~WallpaperOnScreenTest() override {
    window_.reset();
    runtime_.yield();
    put_root_back();
    XCloseDisplay(other_);
    fs::remove_all(folder_);
  }

  // Shows a play screen of one colour with a lighter square in it, and waits until it is drawn.
  void show_play_screen(Pixel colour) {
    saver_.screen.ascreen = Surface(640, 480, colour);
    saver_.screen.ascreen.fill({100, 100, 50, 50}, colour | 0x808080);
    window_->show_surface(saver_.screen.ascreen);
    window_->show();
    for (int i = 0; i < 20; ++i) runtime_.yield_until(clock_add(runtime_.time_get_time(), 10));
    XSync(other_, False);
  }
  bool yield_until_file(const fs::path& path) {
    for (int i = 0; i < 300 && !fs::exists(path); ++i) runtime_.yield_until(clock_add(runtime_.time_get_time(), 10));
    return fs::exists(path);
  }
  // The server keeps a published background after its maker ends; later tests expect the
  // plain root back.
  void put_root_back() {
    const Pixmap kept = root_pixmap(other_, "ESETROOT_PMAP_ID");
    if (kept != None) XKillClient(other_, kept);
    XDeleteProperty(other_, DefaultRootWindow(other_), XInternAtom(other_, "_XROOTPMAP_ID", False));
    XDeleteProperty(other_, DefaultRootWindow(other_), XInternAtom(other_, "ESETROOT_PMAP_ID", False));
    XSetWindowBackgroundPixmap(other_, DefaultRootWindow(other_), None);
    XClearWindow(other_, DefaultRootWindow(other_));
    XSync(other_, False);
  }

  fs::path folder_ = make_temp_folder();
  ScopedEnv data_home_{"XDG_DATA_HOME", (folder_ / "data").string()};
  ScopedEnv path_{"PATH", (folder_ / "bin").string() + ":" + std::getenv("PATH")};
  SettingsStore store_{folder_ / "settings.ini", "Config"};
  std::string program_ = "quarlyn";
  char* argv_[1] = {program_.data()};
  RealRuntime runtime_{1, argv_, "Quarlyn Test", store_};
  Settings settings_;
  RunFlags flags_;
  Saver saver_{runtime_, settings_, flags_};
  IdleHandler handler_;
  std::unique_ptr<ScreenWindow> window_ = runtime_.create_screen_window("StakkoSaver", handler_);
  Display* other_ = XOpenDisplay(nullptr);
};

TEST_F(WallpaperOnScreenTest, SavesTheScreenTwiceToOneFileAndPublishesItAsTheRootBackground) {
  ASSERT_NE(other_, nullptr);
  const fs::path folder = folder_ / "data" / "Quarlyn Test";
  const fs::path file = folder / "Quarlyn.exe Image.bmp";
  Pixmap earlier = None;
  for (Pixel colour : {rgb(0x20, 0x40, 0x60), rgb(0x50, 0x10, 0x30)}) {
    SCOPED_TRACE(::testing::Message() << "play screen colour " << std::hex << colour);
    show_play_screen(colour);
    save_wallpaper(saver_);
    const std::optional<Surface> saved = load_picture(file.string());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->pixel(DisplayWidth(other_, 0) / 2, DisplayHeight(other_, 0) / 2), colour);
    EXPECT_TRUE(same_as_screen(*saved, other_)) << "the file shows the screen";
    const Pixmap published = root_pixmap(other_, "_XROOTPMAP_ID");
    ASSERT_NE(published, static_cast<Pixmap>(None));
    EXPECT_EQ(root_pixmap(other_, "ESETROOT_PMAP_ID"), published);
    EXPECT_TRUE(pixmap_exists(other_, published)) << "kept after its maker's connection closed";
    if (earlier != None) {
      EXPECT_FALSE(pixmap_exists(other_, earlier)) << "the earlier background was freed";
    }
    earlier = published;
    EXPECT_TRUE(same_pixels(read_pixmap(other_, published, saved->width(), saved->height()), *saved))
        << "the published background shows it too";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1) << "no file left beside it";
  }
  const fs::path log = folder_ / "gsettings.log";
  ASSERT_TRUE(yield_until_file(log));
  const std::string expected = "set org.gnome.desktop.background picture-uri file://" + folder_.string() +
                               "/data/Quarlyn%20Test/Quarlyn.exe%20Image.bmp\n";
  EXPECT_EQ(read_text(log).substr(0, expected.size()), expected);
}

TEST_F(WallpaperOnScreenTest, MovesThePointerToAPointOfTheWindow) {
  ASSERT_NE(other_, nullptr);
  show_play_screen(rgb(0, 0, 0x40));
  for (const auto& [x, y] : {std::pair{100, 200}, std::pair{7, 901}}) {
    set_mouseposition(saver_, x, y);
    runtime_.yield();
    std::unique_ptr<FILE, int (*)(FILE*)> location(popen("xdotool getmouselocation --shell", "r"), pclose);
    ASSERT_NE(location, nullptr);
    char buffer[256] = {};
    const size_t length = fread(buffer, 1, sizeof buffer - 1, location.get());
    const std::string text(buffer, length);
    EXPECT_NE(text.find("X=" + std::to_string(x) + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Y=" + std::to_string(y) + "\n"), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace quarlyn
