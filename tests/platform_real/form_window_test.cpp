// Modeless forms and the controls' widgets against a real X server (Xvfb, no window manager),
// driven by xdotool like a person.
#include "platform/fltk/real_runtime.h"

// GoogleTest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xlib.h>
#include <unistd.h>

// Xlib's event-type macro would replace the text box's `KeyPress` member.
#undef KeyPress

#include <functional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/controls.h"
#include "platform/settings_store.h"
#include "platform/timer.h"
#include "platform_real/x_test_support.h"

namespace quarlyn {
namespace {

using testing::request_close;
using testing::run_xdotool;

constexpr Rect kFormPlace{100, 120, 300, 200};

class FormWindowTest : public ::testing::Test {
 protected:
  FormWindowTest() {
    form_.caption = "Form test " + std::to_string(getpid());
    form_.search_name = "Form search " + std::to_string(getpid());
    form_.move(kFormPlace);
    picture_.bounds = {10, 10, 100, 50};
    picture_.picture = Surface(200, 100, rgb(0x30, 0x60, 0x90));
    button_.bounds = {150, 10, 100, 30};
    button_.caption = "Press";
    check_.bounds = {150, 60, 140, 24};
    check_.Caption = "Tick";
    form_.controls = {&picture_, &button_, &check_};
    form_.Form_Activate = [this] { ++activations_; };
    form_.Form_Unload = [this] { ++unloads_; };
  }
  ~FormWindowTest() override {
    if (form_.loaded()) form_.Unload();
    runtime_.yield();
    if (other_ != nullptr) XCloseDisplay(other_);
  }

  bool yield_until(const std::function<bool()>& done) { return testing::yield_until_done(runtime_, done); }
  void show_and_activate() {
    runtime_.show_modeless(form_);
    ASSERT_TRUE(yield_until([&] { return activations_ > 0; }));
  }
  testing::Screenshot screenshot() { return testing::Screenshot(other_); }
  void xdotool_click(int x, int y) {
    run_xdotool({"mousemove", std::to_string(kFormPlace.left + x), std::to_string(kFormPlace.top + y)});
    run_xdotool({"click", "1"});
  }

  std::string program_ = "quarlyn";
  char* argv_[1] = {program_.data()};
  SettingsStore store_{"/nonexistent/quarlyn/settings.ini", "Config"};
  RealRuntime runtime_{1, argv_, "Quarlyn Test", store_};
  Display* other_ = XOpenDisplay(nullptr);
  ModalForm form_;
  Image picture_;
  CommandButton button_;
  CheckBox check_;
  int activations_ = 0;
  int unloads_ = 0;
};

TEST_F(FormWindowTest, AModelessFormHidesShowsAgainIsActivatedEachTimeAndItsCloseBoxUnloadsIt) {
  ASSERT_NE(other_, nullptr);
  show_and_activate();
  EXPECT_TRUE(runtime_.window_exists(form_.caption));
  EXPECT_TRUE(runtime_.window_exists(form_.search_name)) << "found by its second name";
  form_.Hide();
  EXPECT_TRUE(yield_until([] { return Fl::first_window() == nullptr; }));
  runtime_.show_modeless(form_);
  ASSERT_TRUE(yield_until([&] { return activations_ == 2; }));

  ModalForm dialog;
  dialog.caption = "Dialog test";
  dialog.move({150, 150, 100, 80});
  Timer closer(runtime_);
  closer.on_timer = [&] { dialog.Unload(); };
  closer.set_interval(300);
  closer.set_enabled(true);
  runtime_.show_modal(dialog);
  closer.set_enabled(false);
  EXPECT_EQ(activations_, 3) << "activated again when the modal form closed";

  request_close(other_, fl_xid(Fl::first_window()));
  EXPECT_TRUE(yield_until([&] { return !form_.loaded() && Fl::first_window() == nullptr; }));
  EXPECT_EQ(unloads_, 1);
}

TEST_F(FormWindowTest, ClicksMovesEnterSpaceAndTicksReachTheModel) {
  std::vector<std::pair<float, float>> moves;
  int picture_clicks = 0;
  int presses = 0;
  int ticks = 0;
  picture_.MouseMove = [&](int, int, float x, float y) { moves.emplace_back(x, y); };
  picture_.Click = [&] { ++picture_clicks; };
  button_.Click = [&] { ++presses; };
  check_.Click = [&] { ++ticks; };
  form_.focus = &button_;
  show_and_activate();

  run_xdotool({"mousemove", "0", "0"});
  run_xdotool({"mousemove", std::to_string(kFormPlace.left + 60), std::to_string(kFormPlace.top + 35)});
  // Where the pointer was when the form appeared may be reported first; the last move counts.
  const std::pair<float, float> in_picture_pixels{100.0f, 50.0f};
  EXPECT_TRUE(yield_until([&] { return !moves.empty() && moves.back() == in_picture_pixels; }))
      << "last move at " << (moves.empty() ? -1 : moves.back().first) << ","
      << (moves.empty() ? -1 : moves.back().second);
  xdotool_click(60, 35);
  EXPECT_TRUE(yield_until([&] { return picture_clicks == 1; }));

  run_xdotool({"key", "Return"});
  EXPECT_TRUE(yield_until([&] { return presses == 1; })) << "Enter presses the focused button";
  run_xdotool({"key", "space"});
  EXPECT_TRUE(yield_until([&] { return presses == 2; })) << "so does Space";

  xdotool_click(160, 72);
  EXPECT_TRUE(yield_until([&] { return ticks == 1; }));
  EXPECT_EQ(check_.Value, 1);
}

TEST_F(FormWindowTest, ALabelDrawsOnlyInsideItsBoxSoAChangedCaptionLeavesNothingBehind) {
  ASSERT_NE(other_, nullptr);
  Label label;
  label.bounds = {10, 10, 190, 19};
  label.FontBold = true;
  label.Caption = std::string(25, 'W');
  form_.controls = {&label};
  show_and_activate();
  testing::yield_for(runtime_, 200);
  label.Caption = std::string("x");
  testing::yield_for(runtime_, 200);
  const testing::Screenshot shot = screenshot();
  const Pixel background = shot.at(kFormPlace.left + 295, kFormPlace.top + 195);
  for (int y = 10; y < 29; ++y) {
    for (int x = 201; x < 300; ++x) {
      ASSERT_EQ(shot.at(kFormPlace.left + x, kFormPlace.top + y), background) << "at " << x << "," << y;
    }
  }
}

TEST_F(FormWindowTest, ListRowsTakeClicksWithShiftAndCtrlAndDoubleClicks) {
  ListBox list;
  list.MultiSelect = true;
  list.bounds = {10, 60, 120, 130};
  for (const char* row : {"a", "b", "c", "d", "e"}) list.AddItem(row);
  int double_clicks = 0;
  list.DblClick = [&] { ++double_clicks; };
  form_.controls = {&list};
  show_and_activate();
  // Rows are 17 pixels apart below the list's frame.
  const auto row_y = [](int row) { return 60 + 11 + 17 * row; };
  xdotool_click(40, row_y(0));
  EXPECT_TRUE(yield_until([&] { return list.ListIndex == 0; }));
  run_xdotool({"keydown", "shift"});
  xdotool_click(40, row_y(2));
  run_xdotool({"keyup", "shift"});
  EXPECT_TRUE(yield_until([&] { return list.ListIndex == 2; }));
  EXPECT_TRUE(list.Selected(0) && list.Selected(1) && list.Selected(2) && !list.Selected(3));
  run_xdotool({"mousemove", std::to_string(kFormPlace.left + 40), std::to_string(kFormPlace.top + row_y(4))});
  run_xdotool({"click", "--repeat", "2", "--delay", "60", "1"});
  EXPECT_TRUE(yield_until([&] { return double_clicks == 1; }));
  EXPECT_TRUE(list.Selected(4) && !list.Selected(0)) << "its first click selects the row alone";
}

TEST_F(FormWindowTest, EveryVisibleRowOfAListTakesAClickTheBottomAndAnEmptyOneIncludedAndAddedRowsComeIntoView) {
  ListBox list;
  list.bounds = {10, 60, 120, 130};
  for (const char* row : {"a", "", "c", "d", "e", "f", "g", "h", "i"}) list.AddItem(row);
  form_.controls = {&list};
  show_and_activate();
  // Seven rows fit; the seventh lies where a horizontal scroll bar would be, were one needed.
  for (int row = 0; row < 7; ++row) {
    xdotool_click(40, 60 + 11 + 17 * row);
    EXPECT_TRUE(yield_until([&] { return list.ListIndex == row; })) << "row " << row;
  }
  list.AddItem("j");
  list.AddItem("k");
  testing::yield_for(runtime_, 100);
  xdotool_click(40, 180);
  EXPECT_TRUE(yield_until([&] { return list.ListIndex == 10; })) << "rows added are scrolled into view";
}

}  // namespace
}  // namespace quarlyn
