// The full-screen window against a real X server (Xvfb, no window manager), observed through a
// second connection the way another process sees it, and driven by xdotool like a person.
#include "platform/fltk/screen_window_fltk.h"

// GoogleTest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/fltk/real_runtime.h"
#include "platform/fltk/virtual_keys.h"
#include "platform/settings_store.h"
#include "platform/x11/x11_host.h"
#include "platform_real/x_test_support.h"

namespace quarlyn {
namespace {

TEST(VirtualKeys, MapFltkKeysToWindowsCodes) {
  const std::vector<std::pair<int, int>> expected = {
      {FL_Escape, 27},     {' ', 32},          {FL_Left, 37},     {FL_Up, 38},         {FL_Right, 39},
      {FL_Down, 40},       {FL_Enter, 13},     {FL_KP_Enter, 13}, {FL_BackSpace, 8},   {FL_Tab, 9},
      {'a', 65},           {'z', 90},          {'Q', 81},         {'0', 48},           {'9', 57},
      {FL_F + 1, 112},     {FL_F + 12, 123},   {FL_Shift_L, 16},  {FL_Shift_R, 16},    {FL_Control_R, 17},
      {FL_Alt_L, 18},      {FL_KP + '0', 96},  {FL_KP + '9', 105}, {FL_KP + '/', 111}, {FL_Delete, 46},
      {FL_Page_Down, 34},  {'/', 191},         {'`', 192},        {0x1234, 0},         {FL_F + 25, 0},
  };
  for (const auto& [key, code] : expected) EXPECT_EQ(virtual_key_code(key), code) << "FLTK key " << key;
}

TEST(VirtualKeys, TypedCharactersAreLatin1Codes) {
  EXPECT_EQ(typed_character(""), -1);
  EXPECT_EQ(typed_character("a"), 'a');
  EXPECT_EQ(typed_character("\x1b"), 27);
  EXPECT_EQ(typed_character("\xC3\xA9x"), 0xE9);
  EXPECT_EQ(typed_character("\xE2\x82\xAC"), '?');
}

struct RecordingHandler : ScreenWindowHandler {
  void Form_Activate() override {
    ++activations;
    activated_in_show = activated_in_show || in_show;
    if (on_activate) on_activate();
  }
  void Form_Paint() override { ++paints; }
  void Form_Resize() override { ++resizes; }
  void Form_KeyDown(int key_code, int shift) override {
    keys.emplace_back(key_code, shift);
    if (on_key) on_key();
  }
  void ascreen_KeyPress(int character) override { characters.push_back(character); }
  void Form_MouseMove() override { ++moves; }

  int activations = 0;
  int paints = 0;
  int resizes = 0;
  int moves = 0;
  bool in_show = false;
  bool activated_in_show = false;
  std::vector<std::pair<int, int>> keys;
  std::vector<int> characters;
  std::function<void()> on_key;
  std::function<void()> on_activate;
};

using testing::run_xdotool;
using testing::Screenshot;
using testing::start_xdotool;

using Points = std::vector<std::pair<int, int>>;

// Every pixel distinct from its neighbours and from black, with different red, green and blue.
Pixel pattern(int x, int y) {
  return rgb(static_cast<uint8_t>(x), static_cast<uint8_t>(y), static_cast<uint8_t>(0x40 + (x >> 8) * 16 + (y >> 8)));
}

class ScreenWindowTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 641;
  static constexpr int kHeight = 479;

  ScreenWindowTest() {
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) surface_.set_pixel(x, y, pattern(x, y));
    }
  }
  ~ScreenWindowTest() override {
    window_.reset();
    runtime_.yield();
    if (other_ != nullptr) XCloseDisplay(other_);
  }

  // One wait, then a round trip on the window's own connection: the server has drawn what the
  // wait sent before another client reads the screen back.
  void present() {
    runtime_.yield_until(runtime_.time_get_time());
    XSync(fl_display, False);
  }
  void yield_for(int32_t ms) { testing::yield_for(runtime_, ms); }
  bool yield_until(const std::function<bool()>& done) { return testing::yield_until_done(runtime_, done); }
  void show() {
    handler_.in_show = true;
    window_->show();
    handler_.in_show = false;
  }
  // Shown with the pattern presented and the first activation past.
  void show_pattern() {
    window_->show_surface(surface_);
    show();
    ASSERT_TRUE(yield_until([&] { return handler_.activations > 0; }));
    yield_for(100);
  }
  Window find_by_caption() const {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    XQueryTree(other_, DefaultRootWindow(other_), &root, &parent, &children, &count);
    for (unsigned int i = 0; i < count && found == 0; ++i) {
      char* name = nullptr;
      if (XFetchName(other_, children[i], &name) != 0 && name != nullptr && caption_ == name) found = children[i];
      if (name != nullptr) XFree(name);
    }
    if (children != nullptr) XFree(children);
    return found;
  }
  int grab_keyboard_elsewhere() {
    const Window root = DefaultRootWindow(other_);
    const int result = XGrabKeyboard(other_, root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (result == GrabSuccess) XUngrabKeyboard(other_, CurrentTime);
    XSync(other_, False);
    return result;
  }
  Rect play_area() const {
    return {(DisplayWidth(other_, 0) - kWidth) / 2, (DisplayHeight(other_, 0) - kHeight) / 2, kWidth, kHeight};
  }

  std::string program_ = "quarlyn";
  char* argv_[1] = {program_.data()};
  SettingsStore store_{"/nonexistent/quarlyn/settings.ini", "Config"};
  RealRuntime runtime_{1, argv_, "Quarlyn Test", store_};
  std::string caption_ = "Quarlyn screen " + std::to_string(getpid());
  RecordingHandler handler_;
  std::unique_ptr<ScreenWindow> window_ = runtime_.create_screen_window(caption_, handler_);
  Surface surface_{kWidth, kHeight};
  Display* other_ = XOpenDisplay(nullptr);
};

TEST_F(ScreenWindowTest, ActivatesOnceFromALaterYieldAndCoversTheScreenUnderItsCaption) {
  ASSERT_NE(other_, nullptr);
  show();
  EXPECT_TRUE(window_->shown());
  EXPECT_EQ(handler_.activations, 0);
  yield_for(400);
  EXPECT_EQ(handler_.activations, 1);
  EXPECT_FALSE(handler_.activated_in_show);

  const Window found = find_by_caption();
  ASSERT_NE(found, 0U) << "WM_NAME not set";
  EXPECT_TRUE(window_captioned(other_, caption_));
  EXPECT_TRUE(runtime_.window_exists(caption_));
  XWindowAttributes attributes;
  ASSERT_NE(XGetWindowAttributes(other_, found, &attributes), 0);
  EXPECT_EQ(attributes.map_state, IsViewable);
  EXPECT_EQ(attributes.x, 0);
  EXPECT_EQ(attributes.y, 0);
  EXPECT_EQ(attributes.width, DisplayWidth(other_, 0));
  EXPECT_EQ(attributes.height, DisplayHeight(other_, 0));
  const Rect bounds = window_->bounds();
  EXPECT_EQ(bounds.width, attributes.width);
  EXPECT_EQ(bounds.height, attributes.height);
}

TEST_F(ScreenWindowTest, CloseOrDestructionBeforeTheFirstYieldCancelsTheActivation) {
  show();
  window_->close();
  yield_for(200);
  EXPECT_EQ(handler_.activations, 0);
  show();
  window_.reset();
  yield_for(200);
  EXPECT_EQ(handler_.activations, 0);
  EXPECT_FALSE(runtime_.window_exists(caption_));
}

TEST_F(ScreenWindowTest, PresentsTheSurfaceCentredOnBlack) {
  ASSERT_NE(other_, nullptr);
  show_pattern();
  const Rect play = play_area();
  const int right = DisplayWidth(other_, 0) - 1;
  const int bottom = DisplayHeight(other_, 0) - 1;
  const Screenshot shot(other_);
  const Points inside = {{0, 0}, {kWidth - 1, kHeight - 1}, {kWidth - 1, 0}, {0, kHeight - 1}, {300, 200}, {257, 301}};
  for (const auto& [x, y] : inside) {
    EXPECT_EQ(shot.at(play.left + x, play.top + y), pattern(x, y)) << x << "," << y;
  }
  const Points border = {{0, 0},
                         {play.left - 1, play.top},
                         {play.left, play.top - 1},
                         {play.left + kWidth, play.top + kHeight - 1},
                         {play.left + kWidth - 1, play.top + kHeight},
                         {right, bottom}};
  for (const auto& [x, y] : border) EXPECT_EQ(shot.at(x, y), 0U) << "border at " << x << "," << y;
}

// A pixel written without noting the change shows whether more than the changed areas is drawn.
TEST_F(ScreenWindowTest, EachWaitDrawsOnlyTheChangedAreasABareYieldNoneAndAnExposeRedrawsAll) {
  ASSERT_NE(other_, nullptr);
  show_pattern();
  const Rect play = play_area();
  surface_.fill({100, 50, 20, 10}, rgb(0xFF, 0x20, 0x00));
  surface_.set_pixel(400, 300, rgb(0x00, 0xFF, 0x00));
  runtime_.yield();
  XSync(fl_display, False);
  EXPECT_EQ(Screenshot(other_).at(play.left + 100, play.top + 50), pattern(100, 50)) << "drawn at a bare yield";
  present();
  EXPECT_TRUE(surface_.take_changes().empty());
  {
    const Screenshot shot(other_);
    EXPECT_EQ(shot.at(play.left + 100, play.top + 50), rgb(0xFF, 0x20, 0x00));
    EXPECT_EQ(shot.at(play.left + 119, play.top + 59), rgb(0xFF, 0x20, 0x00));
    EXPECT_EQ(shot.at(play.left + 120, play.top + 59), pattern(120, 59));
    EXPECT_EQ(shot.at(play.left + 400, play.top + 300), pattern(400, 300));
  }
  const int paints = handler_.paints;
  const Window cover = XCreateSimpleWindow(other_, DefaultRootWindow(other_), play.left + 350, play.top + 250, 100,
                                           100, 0, 0, 0xFFFFFF);
  XMapRaised(other_, cover);
  XSync(other_, False);
  XDestroyWindow(other_, cover);
  XSync(other_, False);
  ASSERT_TRUE(yield_until([&] { return handler_.paints > paints; }));
  const Screenshot shot(other_);
  EXPECT_EQ(shot.at(play.left + 400, play.top + 300), rgb(0x00, 0xFF, 0x00));
  EXPECT_EQ(shot.at(play.left + 360, play.top + 260), pattern(360, 260));
}

// The saver runs its frames inside its activation, so waits nested there present as well.
TEST_F(ScreenWindowTest, WaitsInsideTheActivationPresent) {
  ASSERT_NE(other_, nullptr);
  const Rect play = play_area();
  std::vector<Pixel> seen;
  handler_.on_activate = [&] {
    for (const Pixel colour : {rgb(0x10, 0x20, 0x30), rgb(0x30, 0x20, 0x10)}) {
      surface_.fill({5, 5, 10, 10}, colour);
      present();
      seen.push_back(Screenshot(other_).at(play.left + 14, play.top + 14));
    }
  };
  window_->show_surface(surface_);
  show();
  ASSERT_TRUE(yield_until([&] { return handler_.activations > 0; }));
  EXPECT_EQ(seen, (std::vector<Pixel>{rgb(0x10, 0x20, 0x30), rgb(0x30, 0x20, 0x10)}));
}

TEST_F(ScreenWindowTest, ResizingReportsAndRecentres) {
  ASSERT_NE(other_, nullptr);
  show_pattern();
  window_->move({0, 0, 800, 600});
  EXPECT_EQ(handler_.resizes, 1);
  EXPECT_EQ(window_->bounds().width, 800);
  EXPECT_EQ(window_->bounds().height, 600);
  present();
  const Screenshot shot(other_);
  EXPECT_EQ(shot.at((800 - kWidth) / 2, (600 - kHeight) / 2), pattern(0, 0));
  EXPECT_EQ(shot.at((800 - kWidth) / 2 - 1, (600 - kHeight) / 2), 0U);
}

TEST_F(ScreenWindowTest, KeysArriveAsVirtualKeyCodesAndCharactersWithoutClosingItAndMotionAsMoves) {
  show_pattern();
  run_xdotool({"mousemove", "100", "100", "mousemove", "200", "150"});
  EXPECT_TRUE(yield_until([&] { return handler_.moves > 0; }));
  yield_for(100);
  const int moves = handler_.moves;
  run_xdotool({"key", "Escape", "Left", "a", "shift+b"});
  ASSERT_TRUE(yield_until([&] { return handler_.keys.size() >= 5; }));
  EXPECT_EQ(handler_.moves, moves) << "keys reported as pointer motion";
  const std::vector<std::pair<int, int>> expected = {{27, 0}, {37, 0}, {65, 0}, {16, 0}, {66, 1}};
  EXPECT_EQ(handler_.keys, expected);
  EXPECT_EQ(handler_.characters, (std::vector<int>{27, 'a', 'B'}));
  EXPECT_TRUE(window_->shown());
  EXPECT_TRUE(runtime_.window_exists(caption_));
}

// Each frame polls, or passes its poll, and then calls key_poll_done.
TEST_F(ScreenWindowTest, ATapCountsForTheNextPollOnlyAndHeldKeysUntilReleased) {
  show_pattern();
  const auto tap = [&](const char* key) {
    const size_t seen = handler_.keys.size();
    run_xdotool({"key", key});
    ASSERT_TRUE(yield_until([&] { return handler_.keys.size() > seen; }));
    yield_for(50);
  };
  tap("Left");
  EXPECT_TRUE(runtime_.key_down(37));
  EXPECT_FALSE(runtime_.key_down(37)) << "seen twice";
  runtime_.key_poll_done();

  // A letter tapped while the poll looks at the arrows only, and Space during frames that do
  // not poll, are forgotten.
  tap("a");
  EXPECT_FALSE(runtime_.key_down(37));
  runtime_.key_poll_done();
  yield_for(50);
  EXPECT_FALSE(runtime_.key_down(65)) << "a tap counted in a later frame";
  runtime_.key_poll_done();
  tap("space");
  runtime_.key_poll_done();
  yield_for(50);
  runtime_.key_poll_done();
  EXPECT_FALSE(runtime_.key_down(32)) << "a tap counted after a frame without a poll";
  runtime_.key_poll_done();

  // A tap after the frame's poll, before its end, waits for the next frame's poll.
  EXPECT_FALSE(runtime_.key_down(39));
  tap("Right");
  runtime_.key_poll_done();
  yield_for(50);
  EXPECT_TRUE(runtime_.key_down(39)) << "a tap between two polls was lost";
  runtime_.key_poll_done();

  run_xdotool({"keydown", "Up"});
  ASSERT_TRUE(yield_until([&] { return runtime_.key_down(38); }));
  runtime_.key_poll_done();
  yield_for(50);
  EXPECT_TRUE(runtime_.key_down(38));
  EXPECT_TRUE(runtime_.key_down(38));
  run_xdotool({"keyup", "Up"});
  EXPECT_TRUE(yield_until([&] { return !runtime_.key_down(38); }));
}

// Another window of the program takes the keyboard, and with it the release.
TEST_F(ScreenWindowTest, AKeyReleasedWhileAnotherWindowHasTheKeyboardIsUp) {
  show_pattern();
  run_xdotool({"keydown", "Left"});
  ASSERT_TRUE(yield_until([&] { return runtime_.key_down(37); }));
  runtime_.key_poll_done();
  Fl_Window elsewhere(10, 10, 60, 60);
  elsewhere.show();
  ASSERT_TRUE(yield_until([&] { return focus_if_viewable(fl_display, fl_xid(&elsewhere)); }));
  yield_for(50);
  run_xdotool({"keyup", "Left"});
  yield_for(50);
  runtime_.key_poll_done();
  EXPECT_FALSE(runtime_.key_down(37));
}

// The grab is taken even when another client holds the keyboard at show (FLTK's own grab, without
// a window manager, is tried once then); keys meant for another client's focused window come here.
TEST_F(ScreenWindowTest, GrabIsRetriedAndBringsKeysMeantForOthersAndRegainedFocusActivatesAgain) {
  ASSERT_NE(other_, nullptr);
  const Window root = DefaultRootWindow(other_);
  ASSERT_EQ(XGrabKeyboard(other_, root, False, GrabModeAsync, GrabModeAsync, CurrentTime), GrabSuccess);
  XSync(other_, False);
  show_pattern();
  XUngrabKeyboard(other_, CurrentTime);
  XSync(other_, False);
  yield_for(100);
  EXPECT_EQ(grab_keyboard_elsewhere(), AlreadyGrabbed);
  const Window elsewhere = XCreateSimpleWindow(other_, root, 10, 10, 50, 50, 0, 0, 0);
  XMapRaised(other_, elsewhere);
  XSync(other_, False);
  XSetInputFocus(other_, elsewhere, RevertToPointerRoot, CurrentTime);
  XSync(other_, False);
  run_xdotool({"key", "x"});
  ASSERT_TRUE(yield_until([&] { return !handler_.keys.empty(); }));
  EXPECT_EQ(handler_.keys.front().first, 'X');
  EXPECT_EQ(handler_.activations, 1);

  XSetInputFocus(other_, find_by_caption(), RevertToPointerRoot, CurrentTime);
  XSync(other_, False);
  EXPECT_TRUE(yield_until([&] { return handler_.activations == 2; }));
  XDestroyWindow(other_, elsewhere);
  XSync(other_, False);
}

void close_stuck_dialog(void*) {
  if (Fl::modal() != nullptr) Fl::modal()->hide();
}

// The program's own dialog still gets its keys during the grab; its closing hands the focus back.
TEST_F(ScreenWindowTest, DialogOverItTakesItsKeysAndClosingItActivatesAgain) {
  show_pattern();
  // "a" means nothing to the dialog and must not fall through to the window beneath.
  const pid_t xdotool = start_xdotool({"sleep", "0.3", "key", "a", "Return"});
  ASSERT_NE(xdotool, 0) << "xdotool could not be started";
  Fl::add_timeout(5.0, close_stuck_dialog);
  runtime_.message_box("Over the screen", "Quarlyn dialog");
  const bool stuck = !Fl::has_timeout(close_stuck_dialog);
  Fl::remove_timeout(close_stuck_dialog);
  waitpid(xdotool, nullptr, 0);
  EXPECT_FALSE(stuck) << "Return did not reach the dialog";
  EXPECT_TRUE(handler_.keys.empty());
  EXPECT_TRUE(yield_until([&] { return handler_.activations == 2; }));
  run_xdotool({"key", "Left"});
  EXPECT_TRUE(yield_until([&] { return !handler_.keys.empty(); }));
}

TEST_F(ScreenWindowTest, AfterCloseNothingArrivesAndTheKeyboardIsFree) {
  ASSERT_NE(other_, nullptr);
  show_pattern();
  window_->close();
  EXPECT_FALSE(window_->shown());
  EXPECT_EQ(grab_keyboard_elsewhere(), GrabSuccess);
  const RecordingHandler before = handler_;
  run_xdotool({"key", "a", "mousemove", "300", "300", "mousemove", "310", "320"});
  yield_for(300);
  EXPECT_TRUE(handler_.keys.empty());
  EXPECT_EQ(handler_.moves, before.moves);
  EXPECT_EQ(handler_.paints, before.paints);
  EXPECT_EQ(handler_.activations, 1);
  EXPECT_FALSE(runtime_.window_exists(caption_));
}

TEST_F(ScreenWindowTest, HandlerMayCloseOrDestroyTheWindowFromAKey) {
  show_pattern();
  handler_.on_key = [&] { window_->close(); };
  run_xdotool({"key", "a"});
  ASSERT_TRUE(yield_until([&] { return !handler_.keys.empty(); }));
  EXPECT_TRUE(handler_.characters.empty());

  handler_.keys.clear();
  handler_.activations = 0;
  handler_.on_key = [&] { window_.reset(); };
  show_pattern();
  run_xdotool({"key", "b"});
  ASSERT_TRUE(yield_until([&] { return !handler_.keys.empty(); }));
  EXPECT_EQ(window_, nullptr);
  EXPECT_TRUE(handler_.characters.empty());
  yield_for(100);
  EXPECT_FALSE(runtime_.window_exists(caption_));
}

}  // namespace
}  // namespace quarlyn
