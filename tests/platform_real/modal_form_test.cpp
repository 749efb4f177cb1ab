// Modal forms and the full-screen window's time box against a real X server (Xvfb, no window
// manager): driven by xdotool like a person, and read back from the screen through a second
// connection the way another process sees it.
#include "platform/fltk/real_runtime.h"

// GoogleTest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

// Xlib's event-type macro would replace the text box's `KeyPress` member.
#undef KeyPress

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/controls.h"
#include "platform/screen_window.h"
#include "platform/settings_store.h"
#include "platform/timer.h"
#include "platform_real/x_test_support.h"

namespace quarlyn {
namespace {

constexpr int kFormWidth = 353;
constexpr int kFormHeight = 261;
constexpr Rect kTextPlace{54, 210, 157, 19};
constexpr Rect kButtonPlace{228, 204, 73, 28};
constexpr Pixel kSaverColour = rgb(0xC0, 0x10, 0x10);
constexpr int kEnter = 13;
constexpr int kEscape = 27;

using testing::request_close;
using testing::run_xdotool;
using testing::Screenshot;

struct SaverHandler : ScreenWindowHandler {
  void Form_Activate() override { ++activations; }
  void Form_Paint() override {}
  void Form_Resize() override {}
  void Form_KeyDown(int key_code, int) override { keys.push_back(key_code); }
  void ascreen_KeyPress(int) override {}
  void Form_MouseMove() override {}

  int activations = 0;
  std::vector<int> keys;
};

// Four colours, so the stretched picture blends differently everywhere.
Surface dialog_picture() {
  Surface picture(2, 2);
  picture.set_pixel(0, 0, rgb(0x20, 0xA0, 0x60));
  picture.set_pixel(1, 0, rgb(0xF0, 0xE0, 0x10));
  picture.set_pixel(0, 1, rgb(0x10, 0x30, 0xD0));
  picture.set_pixel(1, 1, rgb(0x80, 0x00, 0x90));
  return picture;
}

// The dialog of the game's high-score entry: a picture, a name box and an Ok button.
struct NameForm {
  NameForm() {
    image.bounds = {0, 0, kFormWidth, kFormHeight};
    text.bounds = kTextPlace;
    text.max_length = 25;
    ok.bounds = kButtonPlace;
    ok.caption = "Ok";
    form.controls = {&image, &text, &ok};
    form.Form_Activate = [this] {
      ++activations;
      form.focus = &text;
      if (on_activate) on_activate();
    };
    form.Form_Unload = [this] { ++unloads; };
    text.KeyPress = [this](int character) {
      typed.push_back(character);
      if (character == kEnter) form.Unload();
    };
    ok.Click = [this] {
      ++clicks;
      form.Unload();
    };
  }

  ModalForm form;
  Image image;
  TextBox text;
  CommandButton ok;
  int activations = 0;
  int unloads = 0;
  int clicks = 0;
  std::vector<int> typed;
  std::function<void()> on_activate;
};

class ModalFormTest : public ::testing::Test {
 protected:
  ModalFormTest() {
    // The picture arrives in Form_Load, as the game loads it, after the window is built.
    name_.form.Form_Load = [this] {
      name_.form.move({form_left(), form_top(), kFormWidth, kFormHeight});
      name_.image.picture = dialog_picture();
    };
    // A form that a fault leaves open fails its test instead of hanging it.
    rescue_.on_timer = [this] {
      rescued_ = true;
      name_.form.Unload();
    };
    rescue_.set_interval(5000);
    rescue_.set_enabled(true);
  }
  void TearDown() override { EXPECT_FALSE(rescued_) << "the form stayed open"; }
  ~ModalFormTest() override {
    saver_.reset();
    runtime_.yield();
    if (other_ != nullptr) XCloseDisplay(other_);
  }

  int form_left() { return (runtime_.screen_width() - kFormWidth) / 2; }
  int form_top() { return (runtime_.screen_height() - kFormHeight) / 2; }

  bool yield_until(const std::function<bool()>& done) { return testing::yield_until_done(runtime_, done); }
  // The full-screen saver window, up with the keyboard and its activation past.
  void show_saver(Surface& screen) {
    saver_->show_surface(screen);
    saver_->show();
    ASSERT_TRUE(yield_until([&] { return saver_handler_.activations > 0; }));
    yield_for(100);
  }
  void yield_for(int32_t ms) { testing::yield_for(runtime_, ms); }
  // Calls `check` from a timer once `after_ms` have passed inside the modal wait.
  void check_later(int32_t after_ms, std::function<void()> check) {
    timer_.set_interval(after_ms);
    timer_.on_timer = [this, check = std::move(check)] {
      timer_.set_enabled(false);
      check();
    };
    timer_.set_enabled(true);
  }

  std::string program_ = "quarlyn";
  char* argv_[1] = {program_.data()};
  SettingsStore store_{"/nonexistent/quarlyn/settings.ini", "Config"};
  RealRuntime runtime_{1, argv_, "Quarlyn Test", store_};
  Display* other_ = XOpenDisplay(nullptr);
  NameForm name_;
  Timer timer_{runtime_};
  Timer rescue_{runtime_};
  bool rescued_ = false;
  SaverHandler saver_handler_;
  Surface saver_screen_{640, 480, kSaverColour};
  std::unique_ptr<ScreenWindow> saver_ =
      runtime_.create_screen_window("Quarlyn saver " + std::to_string(getpid()), saver_handler_);
};

TEST_F(ModalFormTest, ShowsCentredAboveTheSaverWithItsPictureStretchedAndActivatesOnce) {
  ASSERT_NE(other_, nullptr);
  show_saver(saver_screen_);
  std::vector<std::pair<Pixel, Pixel>> seen;  // screen, expected
  Surface expected(kFormWidth, kFormHeight);
  paint_picture(expected, dialog_picture(), 0, 0, kFormWidth, kFormHeight);
  const std::vector<std::pair<int, int>> inside = {{0, 0}, {352, 0}, {0, 260}, {352, 260}, {176, 130}, {90, 60}};
  bool open_while_checked = false;
  int32_t unloaded_at = 0;
  XWindowAttributes at_activation{};
  name_.on_activate = [&] { XGetWindowAttributes(other_, fl_xid(Fl::modal()), &at_activation); };
  check_later(300, [&] {
    open_while_checked = name_.form.loaded();
    const Screenshot shot(other_);
    for (const auto& [x, y] : inside) seen.emplace_back(shot.at(form_left() + x, form_top() + y), expected.pixel(x, y));
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{-1, 0}, {0, -1}, {353, 260}, {352, 261}}) {
      seen.emplace_back(shot.at(form_left() + x, form_top() + y), kSaverColour);
    }
    unloaded_at = runtime_.time_get_time();
    name_.form.Unload();
  });
  runtime_.show_modal(name_.form);
  // Not a speed target: a loop asleep until some other event would return only with the rescue.
  EXPECT_LT(clock_diff(runtime_.time_get_time(), unloaded_at), 2000) << "slept on after a timer unloaded the form";
  EXPECT_TRUE(open_while_checked);
  EXPECT_EQ(at_activation.x, form_left()) << "not in its place when shown";
  EXPECT_EQ(at_activation.y, form_top());
  EXPECT_EQ(at_activation.width, kFormWidth);
  EXPECT_EQ(at_activation.map_state, IsViewable);
  EXPECT_FALSE(name_.form.loaded());
  EXPECT_EQ(name_.activations, 1);
  EXPECT_EQ(name_.unloads, 1);
  ASSERT_EQ(seen.size(), inside.size() + 4);
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i].first, seen[i].second) << "point " << i;
}

TEST_F(ModalFormTest, TypedKeysReachTheTextBoxOverTheSaverAndEnterUnloadsThenTheSaverHasTheKeysAgain) {
  show_saver(saver_screen_);
  name_.on_activate = [] {
    run_xdotool({"type", "Ann"});
    run_xdotool({"key", "Return"});
  };
  runtime_.show_modal(name_.form);
  EXPECT_EQ(name_.text.text, "Ann");
  EXPECT_EQ(name_.typed, (std::vector<int>{'A', 'n', 'n', kEnter}));
  EXPECT_EQ(name_.unloads, 1);
  EXPECT_TRUE(saver_handler_.keys.empty()) << "keys meant for the dialog reached the saver";
  ASSERT_NE(Fl::first_window(), nullptr);
  EXPECT_EQ(Fl::next_window(Fl::first_window()), nullptr) << "the dialog's window is left";
  run_xdotool({"key", "Left"});
  ASSERT_TRUE(yield_until([&] { return !saver_handler_.keys.empty(); }));
  EXPECT_EQ(saver_handler_.keys.front(), 37);
  ASSERT_TRUE(yield_until([&] { return saver_handler_.activations >= 2; }));
  yield_for(100);
  EXPECT_EQ(saver_handler_.activations, 2) << "the saver regains the focus once";
}

// Keys pressed for the saver, still waiting to be handled when the form shows or held on into
// it, type nothing.
TEST_F(ModalFormTest, KeysPressedBeforeTheFormShowsAreNotTyped) {
  show_saver(saver_screen_);
  run_xdotool({"key", "space", "keydown", "space"});
  name_.on_activate = [] {
    run_xdotool({"sleep", "0.9", "keyup", "space"});
    run_xdotool({"type", "Ann"});
    run_xdotool({"key", "Return"});
  };
  runtime_.show_modal(name_.form);
  EXPECT_EQ(name_.text.text, "Ann");
}

TEST_F(ModalFormTest, KeysGoToTheFocusControlChosenOnActivation) {
  TextBox first;
  first.bounds = {54, 20, 157, 19};
  name_.form.controls.insert(name_.form.controls.begin() + 1, &first);
  name_.on_activate = [] {
    run_xdotool({"type", "Zed"});
    run_xdotool({"key", "Return"});
  };
  runtime_.show_modal(name_.form);
  EXPECT_EQ(name_.text.text, "Zed");
  EXPECT_EQ(first.text, "");
}

TEST_F(ModalFormTest, AKeyWhoseHandlerUnloadsTheFormIsNotTyped) {
  name_.text.KeyPress = [&](int character) {
    if (character == 'q') name_.form.Unload();
  };
  name_.on_activate = [] { run_xdotool({"type", "abqc"}); };
  runtime_.show_modal(name_.form);
  EXPECT_EQ(name_.text.text, "ab");
}

TEST_F(ModalFormTest, TextStopsAtItsMaximumLengthAndBackspaceEditsIt) {
  name_.on_activate = [] {
    run_xdotool({"type", "abcdefghijklmnopqrstuvwxyz0123"});
    run_xdotool({"key", "BackSpace", "Return"});
  };
  runtime_.show_modal(name_.form);
  EXPECT_EQ(name_.text.text, "abcdefghijklmnopqrstuvwx");
  EXPECT_EQ(name_.typed.size(), 32U);
  EXPECT_EQ(name_.typed[30], 8);
}

TEST_F(ModalFormTest, TheModelsTextIsShownAndEditedFromItsEnd) {
  name_.text.text = "Bo";
  name_.on_activate = [] { run_xdotool({"type", "b"}); };
  check_later(300, [&] { name_.form.Unload(); });
  runtime_.show_modal(name_.form);
  EXPECT_EQ(name_.text.text, "Bob");
}

TEST_F(ModalFormTest, ClickingTheButtonCallsClickWhileTimersKeepFiring) {
  int ticks = 0;
  int ticks_at_click = 0;
  Timer ticker(runtime_);
  ticker.on_timer = [&] { ++ticks; };
  ticker.set_interval(20);
  ticker.set_enabled(true);
  name_.ok.Click = [&] {
    ++name_.clicks;
    ticks_at_click = ticks;
    name_.form.Unload();
  };
  // The click waits for a few ticks, so the modal wait has been running timers.
  check_later(200, [&] {
    const int x = form_left() + kButtonPlace.left + kButtonPlace.width / 2;
    const int y = form_top() + kButtonPlace.top + kButtonPlace.height / 2;
    run_xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"});
  });
  runtime_.show_modal(name_.form);
  EXPECT_EQ(name_.clicks, 1);
  EXPECT_GE(ticks_at_click, 3);
  EXPECT_TRUE(name_.typed.empty());
}

TEST_F(ModalFormTest, EnterOnTheFocusedButtonPressesIt) {
  name_.on_activate = [] {
    run_xdotool({"type", "Al"});
    run_xdotool({"key", "Tab", "Return"});
  };
  runtime_.show_modal(name_.form);
  EXPECT_EQ(name_.clicks, 1);
  EXPECT_EQ(name_.text.text, "Al");
  EXPECT_EQ(name_.typed, (std::vector<int>{'A', 'l'})) << "Enter went to the text box";
}

// Timers change the play screen under the form; it shows around the form at once.
TEST_F(ModalFormTest, TheSaverGoesOnPresentingAroundTheForm) {
  ASSERT_NE(other_, nullptr);
  show_saver(saver_screen_);
  const Pixel green = rgb(0x00, 0xFF, 0x00);
  Pixel seen = 0;
  int ticks = 0;
  timer_.on_timer = [&] {
    if (++ticks == 1) {
      saver_screen_.fill({0, 0, 640, 480}, green);
      return;
    }
    seen = Screenshot(other_).at(form_left() - 10, form_top() - 10);
    name_.form.Unload();
  };
  timer_.set_interval(100);
  timer_.set_enabled(true);
  runtime_.show_modal(name_.form);
  EXPECT_EQ(seen, green);
}

TEST_F(ModalFormTest, EscapeAndTheCloseRequestCloseNothing) {
  ASSERT_NE(other_, nullptr);
  bool up_after_escape = false;
  name_.on_activate = [&] {
    run_xdotool({"key", "Escape"});
    request_close(other_, fl_xid(Fl::modal()));
  };
  check_later(300, [&] {
    up_after_escape = Fl::modal() != nullptr && Fl::modal()->shown();
    name_.form.Unload();
  });
  runtime_.show_modal(name_.form);
  EXPECT_TRUE(up_after_escape);
  EXPECT_EQ(name_.typed, (std::vector<int>{kEscape}));
  EXPECT_EQ(name_.unloads, 1);
}

TEST_F(ModalFormTest, AFormThatUnloadsWhileLoadingIsNeverShown) {
  name_.form.Form_Load = [&] { name_.form.Unload(); };
  runtime_.show_modal(name_.form);
  EXPECT_EQ(name_.activations, 0);
  EXPECT_EQ(name_.unloads, 1);
  EXPECT_EQ(Fl::first_window(), nullptr);
}

// The time box of the full-screen window, drawn over the play screen beside the well, at the
// same place on the play screen whatever the size of the screen around it.
class TimeBoxTest : public ModalFormTest {
 protected:
  TimeBoxTest() {
    for (int y = 0; y < kPlayHeight; ++y) {
      for (int x = 0; x < kPlayWidth; ++x) play_.set_pixel(x, y, rgb(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 0x80));
    }
  }
  void SetUp() override {
    ASSERT_GT(runtime_.screen_width(), kPlayWidth);
    ASSERT_GT(runtime_.screen_height(), kPlayHeight);
  }
  // The play screen is centred in the window, and the box lies at (462, 340) on it.
  Rect place() { return {(runtime_.screen_width() - kPlayWidth) / 2, (runtime_.screen_height() - kPlayHeight) / 2, 0, 0}; }
  Rect box() { return {place().left + 462, place().top + 340, 117, 46}; }
  Pixel play_pixel(int window_x, int window_y) { return play_.pixel(window_x - place().left, window_y - place().top); }
  // How many pixels of the box show the play screen, and how many are near white (text).
  std::pair<int, int> box_pixels() {
    const Screenshot shot(other_);
    const Rect b = box();
    int play = 0;
    int white = 0;
    for (int y = b.top; y < b.top + b.height; ++y) {
      for (int x = b.left; x < b.left + b.width; ++x) {
        const Pixel pixel = shot.at(x, y);
        play += pixel == play_pixel(x, y) ? 1 : 0;
        white += (pixel & 0xE0E0E0) == 0xE0E0E0 ? 1 : 0;
      }
    }
    return {play, white};
  }

  static constexpr int kPlayWidth = 640;
  static constexpr int kPlayHeight = 480;
  Surface play_{kPlayWidth, kPlayHeight};
};

TEST_F(TimeBoxTest, TextShowsOverThePlayScreenAndHidingPutsThePlayScreenBack) {
  ASSERT_NE(other_, nullptr);
  show_saver(play_);
  saver_->set_time_box("1:05", true);
  yield_until([&] { return box_pixels().second > 40; });
  const auto [play, white] = box_pixels();
  EXPECT_EQ(play, 0);
  EXPECT_GT(white, 40) << "no text drawn";
  const Screenshot shot(other_);
  const Rect b = box();
  EXPECT_EQ(shot.at(b.left - 1, b.top), play_pixel(b.left - 1, b.top));
  EXPECT_EQ(shot.at(b.left + b.width, b.top + b.height - 1), play_pixel(b.left + b.width, b.top + b.height - 1));

  saver_->set_time_box("", false);
  EXPECT_TRUE(yield_until([&] { return box_pixels().first == b.width * b.height; }));
}

TEST_F(TimeBoxTest, ChangesOfThePlayScreenUnderTheBoxLeaveItInFront) {
  ASSERT_NE(other_, nullptr);
  saver_->set_time_box("12:34", true);
  show_saver(play_);
  const Pixel green = rgb(0x00, 0xFF, 0x00);
  const Rect b = box();
  // The corner of the box shows no text, only the dimmed play screen beneath.
  const Pixel corner_before = Screenshot(other_).at(b.left + 1, b.top + 1);
  play_.fill({462 - 10, 340 - 10, b.width + 20, b.height + 20}, green);
  runtime_.yield_until(runtime_.time_get_time());  // the play screen's changes are drawn at waits
  // The server may show the new play screen a moment before the box is drawn over it again.
  yield_until([&] { return box_pixels().second > 40; });
  const auto [play, white] = box_pixels();
  EXPECT_EQ(play, 0);
  EXPECT_GT(white, 40);
  const Screenshot shot(other_);
  EXPECT_NE(shot.at(b.left + 1, b.top + 1), corner_before) << "the box does not follow the play screen";
  EXPECT_EQ(shot.at(b.left - 5, b.top - 5), green);
  EXPECT_EQ(shot.at(b.left + b.width + 5, b.top + b.height + 5), green);
}

}  // namespace
}  // namespace quarlyn
