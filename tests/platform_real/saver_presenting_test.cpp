// The real saver's robot game presented in the real window: after every frame, what the X server
// shows of the play screen is the play screen's pixels, with shared memory and without it. Run
// on any display (tests/e2e/other_displays.sh runs it on one without shared memory and on a
// 16-bit one).
#include "platform/fltk/screen_window_fltk.h"

// GoogleTest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <FL/x.H>
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <stdlib.h>

// X's event-type macro would replace the controls' `KeyPress` member; no X event type is used here.
#undef KeyPress

#include <functional>
#include <memory>
#include <string>

#include "platform/fltk/real_runtime.h"
#include "platform/settings_store.h"
#include "platform_real/x_test_support.h"
#include "saver/game.h"
#include "saver/saver_window.h"
#include "startup/settings.h"
#include "support/temp_folder.h"

namespace quarlyn {
namespace {

constexpr int kFramesCompared = 300;

class FrameRuntime : public RealRuntime {
 public:
  using RealRuntime::RealRuntime;
  void yield_until(int32_t deadline_ms) override {
    RealRuntime::yield_until(deadline_ms);
    if (on_frame) on_frame();
  }
  std::function<void()> on_frame;
};

// A surface pixel as the visual holds it: each channel cut to the bits its mask has.
unsigned long as_shown(Pixel pixel, const Visual& visual) {
  auto channel = [](unsigned int value, unsigned long mask) {
    const int bits = __builtin_popcountl(mask);
    return (static_cast<unsigned long>(value) >> (8 - bits)) << __builtin_ctzl(mask);
  };
  return channel((pixel >> 16) & 0xFF, visual.red_mask) | channel((pixel >> 8) & 0xFF, visual.green_mask) |
         channel(pixel & 0xFF, visual.blue_mask);
}

class SaverPresenting : public ::testing::TestWithParam<bool> {
 protected:
  SaverPresenting() {
    if (GetParam()) {
      unsetenv("QUARLYN_NO_SHM");
    } else {
      setenv("QUARLYN_NO_SHM", "1", 1);
    }
    store_.save({{"install_path", QUARLYN_BUILD_DATA_DIR}, {"music_on", "0"}, {"soundfx_on", "0"}});
  }
  ~SaverPresenting() override {
    unsetenv("QUARLYN_NO_SHM");
    if (other_ != nullptr) XCloseDisplay(other_);
  }

  testing::TempFolder folder_;
  SettingsStore store_{(folder_.path() / "settings.ini").string(), kSettingsSection};
  std::string program_ = "quarlyn";
  char* argv_[1] = {program_.data()};
  FrameRuntime runtime_{1, argv_, kApplicationName, store_};
  Display* other_ = XOpenDisplay(nullptr);
};

TEST_P(SaverPresenting, EveryFrameShowsThePlayScreensPixels) {
  ASSERT_NE(other_, nullptr);
  Settings settings;
  RunFlags flags;
  frm_screensaver saver(runtime_, settings, flags);
  const Visual& visual = *DefaultVisual(other_, 0);
  const int left = (DisplayWidth(other_, 0) - 640) / 2;
  const int top = (DisplayHeight(other_, 0) - 480) / 2;
  int frames = 0;
  int differing_frames = 0;
  runtime_.on_frame = [&] {
    if (!flags.saver_running || frames == kFramesCompared) return;
    XSync(fl_display, False);
    XImage* shown = XGetImage(other_, DefaultRootWindow(other_), left, top, 640, 480, AllPlanes, ZPixmap);
    const Surface& screen = saver.saver().screen.ascreen;
    int wrong = 0;
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) wrong += XGetPixel(shown, x, y) != as_shown(screen.pixel(x, y), visual);
    }
    XDestroyImage(shown);
    differing_frames += wrong > 0;
    if (++frames == kFramesCompared) saver.Form_KeyDown(kKeyEsc, 0);
  };
  saver.Show();
  while (flags.saver_running) runtime_.RealRuntime::yield_until(runtime_.time_get_time() + 100);
  EXPECT_EQ(frames, kFramesCompared);
  EXPECT_EQ(differing_frames, 0);

  const auto path = dynamic_cast<FltkScreenWindow&>(saver.window()).present_path();
  const bool direct = visual.c_class == TrueColor && visual.red_mask == 0xFF0000 && visual.blue_mask == 0xFF;
  if (!direct) {
    EXPECT_EQ(path, visual.c_class == TrueColor ? SurfacePresenter::Path::kConverted : SurfacePresenter::Path::kDrawImage);
  } else if (GetParam() && XShmQueryExtension(other_)) {
    EXPECT_EQ(path, SurfacePresenter::Path::kSharedMemory);
  } else {
    EXPECT_EQ(path, SurfacePresenter::Path::kPutImage);
  }
}

INSTANTIATE_TEST_SUITE_P(SharedMemory, SaverPresenting, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "On" : "Off"; });

}  // namespace
}  // namespace quarlyn
