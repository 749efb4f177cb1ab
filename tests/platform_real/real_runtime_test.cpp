// The real runtime against a real X server (Xvfb, no window manager).
#include "platform/fltk/real_runtime.h"

// GoogleTest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <X11/Xlib.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "platform/clock.h"
#include "platform/fltk/message_box.h"
#include "platform/settings_store.h"
#include "platform/timer.h"
#include "platform_real/x_test_support.h"
#include "support/scoped_env.h"

namespace quarlyn {
namespace {

namespace fs = std::filesystem;

fs::path make_temp_folder() {
  std::string pattern = (fs::temp_directory_path() / "quarlyn-real-XXXXXX").string();
  return mkdtemp(pattern.data());
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using testing::ScopedEnv;

class RealRuntimeTest : public ::testing::Test {
 protected:
  void yield_for(int32_t ms) { testing::yield_for(runtime_, ms); }

  fs::path folder_ = make_temp_folder();
  SettingsStore store_{folder_ / "settings.ini", "Config"};
  std::string program_ = "quarlyn";
  std::string switch_ = "/S";
  std::string spaced_ = "two words";
  char* argv_[3] = {program_.data(), switch_.data(), spaced_.data()};
  RealRuntime runtime_{3, argv_, "Quarlyn Test", store_};

  ~RealRuntimeTest() override { fs::remove_all(folder_); }
};

TEST_F(RealRuntimeTest, FindsFltkWindowsByExactCaptionOnly) {
  auto window = std::make_unique<Fl_Window>(200, 100, "StakkoSaver");
  window->end();
  window->show();
  for (int i = 0; i < 3; ++i) runtime_.yield();
  EXPECT_TRUE(runtime_.window_exists("StakkoSaver"));
  EXPECT_FALSE(runtime_.window_exists("StakkoSave"));
  EXPECT_FALSE(runtime_.window_exists("stakkosaver"));
  EXPECT_FALSE(runtime_.window_exists("StakkoSaver "));
  // Other tests may show a "StakkoSaver" of their own meanwhile, so the window's end is checked
  // under a caption only this process uses.
  const std::string own = "StakkoSaver " + std::to_string(getpid());
  window->label(own.c_str());
  runtime_.yield();
  EXPECT_TRUE(runtime_.window_exists(own));
  window->hide();
  runtime_.yield();
  EXPECT_FALSE(runtime_.window_exists(own));
}

// Windows of another client, named the ways other toolkits and window managers do it.
TEST_F(RealRuntimeTest, FindsOtherClientsWindowsByEitherNameProperty) {
  Display* other = XOpenDisplay(nullptr);
  ASSERT_NE(other, nullptr);
  const Window root = DefaultRootWindow(other);
  const std::string net_caption = "Quarlyn \xE2\x98\x83 net name";
  const Window named = XCreateSimpleWindow(other, root, 10, 10, 50, 50, 0, 0, 0);
  XStoreName(other, named, "a different WM_NAME");
  XChangeProperty(other, named, XInternAtom(other, "_NET_WM_NAME", False), XInternAtom(other, "UTF8_STRING", False),
                  8, PropModeReplace, reinterpret_cast<const unsigned char*>(net_caption.data()),
                  static_cast<int>(net_caption.size()));
  // A frame without a name holding the client window, as a reparenting window manager does.
  const Window frame = XCreateSimpleWindow(other, root, 100, 10, 60, 60, 0, 0, 0);
  const Window client = XCreateSimpleWindow(other, frame, 5, 5, 50, 50, 0, 0, 0);
  XStoreName(other, client, "Quarlyn framed client");
  XMapWindow(other, named);
  XMapSubwindows(other, frame);
  XMapWindow(other, frame);
  XSync(other, False);

  EXPECT_TRUE(runtime_.window_exists(net_caption));
  EXPECT_TRUE(runtime_.window_exists("Quarlyn framed client"));
  EXPECT_FALSE(runtime_.window_exists("Quarlyn framed"));

  XDestroyWindow(other, named);
  XDestroyWindow(other, frame);
  XSync(other, False);
  EXPECT_FALSE(runtime_.window_exists(net_caption));
  EXPECT_FALSE(runtime_.window_exists("Quarlyn framed client"));
  XCloseDisplay(other);
}

TEST_F(RealRuntimeTest, WaitingForADeadlineSleepsInsteadOfSpinning) {
  const int32_t deadline = clock_add(runtime_.time_get_time(), 300);
  int rounds = 0;
  while (!clock_reached(runtime_.time_get_time(), deadline)) {
    runtime_.yield_until(deadline);
    ++rounds;
  }
  EXPECT_LT(rounds, 50);
  // A deadline long past (across the sign of the difference) must not turn into a long wait.
  runtime_.yield_until(clock_add(runtime_.time_get_time(), -2'000'000'000));
}

TEST_F(RealRuntimeTest, ClockIsMonotonicMillisecondsTruncatedTo32Bits) {
  auto monotonic_ms = [] {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int32_t>(static_cast<uint32_t>(now.tv_sec * 1000LL + now.tv_nsec / 1'000'000));
  };
  const int32_t before = monotonic_ms();
  const int32_t reading = runtime_.time_get_time();
  const int32_t after = monotonic_ms();
  EXPECT_GE(clock_diff(reading, before), 0);
  EXPECT_GE(clock_diff(after, reading), 0);
}

TEST_F(RealRuntimeTest, TimersFireOnlyInsideYieldsAndRepeat) {
  Timer timer(runtime_);
  int fired = 0;
  timer.on_timer = [&] { ++fired; };
  timer.set_interval(10);
  timer.set_enabled(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(fired, 0);
  yield_for(200);
  EXPECT_GE(fired, 5);
}

TEST_F(RealRuntimeTest, TimerHandlersMayStopChangeOrDestroyTheirTimer) {
  Timer stopping(runtime_);
  int stopping_fired = 0;
  stopping.on_timer = [&] {
    if (++stopping_fired == 2) stopping.set_enabled(false);
  };
  Timer slowing(runtime_);
  int slowing_fired = 0;
  slowing.on_timer = [&] {
    if (++slowing_fired == 1) slowing.set_interval(100);
  };
  auto doomed = std::make_unique<Timer>(runtime_);
  int doomed_fired = 0;
  doomed->on_timer = [&] {
    ++doomed_fired;
    doomed.reset();
  };
  for (Timer* timer : {&stopping, &slowing, doomed.get()}) {
    timer->set_interval(10);
    timer->set_enabled(true);
  }
  yield_for(250);
  EXPECT_EQ(stopping_fired, 2);
  // Due at 10, 110 and 210 ms: a repeat left over from the old interval would add more.
  EXPECT_GE(slowing_fired, 2);
  EXPECT_LE(slowing_fired, 3);
  EXPECT_EQ(doomed_fired, 1);
  EXPECT_EQ(doomed, nullptr);
}

TEST_F(RealRuntimeTest, CursorDisplayCountHidesBelowZero) {
  EXPECT_EQ(runtime_.show_cursor(false), -1);
  EXPECT_TRUE(runtime_.cursor_hidden());
  EXPECT_EQ(runtime_.show_cursor(false), -2);
  EXPECT_EQ(runtime_.show_cursor(true), -1);
  EXPECT_TRUE(runtime_.cursor_hidden());
  EXPECT_EQ(runtime_.show_cursor(true), 0);
  EXPECT_FALSE(runtime_.cursor_hidden());
  EXPECT_EQ(runtime_.show_cursor(true), 1);
}

TEST_F(RealRuntimeTest, SystemFlagsFollowEnteringAndLeavingSaverMode) {
  EXPECT_FALSE(runtime_.screen_saver_running());
  EXPECT_TRUE(runtime_.screen_saver_active());
  runtime_.system_parameters(kSpiSetScreenSaverRunning, 1, "", 0);
  runtime_.system_parameters(kSpiSetScreenSaveActive, 0, "", 0);
  runtime_.system_parameters(kSpiSetScreenSaveActive, 0, "", 0);
  EXPECT_TRUE(runtime_.screen_saver_running());
  EXPECT_FALSE(runtime_.screen_saver_active());
  runtime_.system_parameters(kSpiSetScreenSaveActive, 1, "", 0);
  runtime_.system_parameters(kSpiSetScreenSaverRunning, 0, "", 0);
  EXPECT_FALSE(runtime_.screen_saver_running());
  EXPECT_TRUE(runtime_.screen_saver_active());
  runtime_.system_parameters(kSpiSetDeskWallpaper, 0, "/tmp/picture.bmp", 3);
  EXPECT_EQ(runtime_.wallpaper(), "/tmp/picture.bmp");
}

TEST_F(RealRuntimeTest, CommandLineAndDataFolder) {
  EXPECT_EQ(runtime_.command_line(), "/S two words");
  {
    ScopedEnv data_home("XDG_DATA_HOME", "/data/home/");
    EXPECT_EQ(runtime_.windows_dir(), "/data/home/Quarlyn Test/");
  }
  ScopedEnv relative("XDG_DATA_HOME", "relative/data");
  ScopedEnv home("HOME", "/home/someone");
  EXPECT_EQ(runtime_.windows_dir(), "/home/someone/.local/share/Quarlyn Test/");
}

// Exits with 0 when everything the program may use before it needs a window worked.
[[noreturn]] void use_runtime_without_display() {
  unsetenv("DISPLAY");
  std::string name = "quarlyn";
  char* argv[] = {name.data(), nullptr};
  SettingsStore store("/nonexistent/quarlyn/settings.ini", "Config");
  RealRuntime runtime(1, argv, "Quarlyn Test", store);
  runtime.time_get_time();
  runtime.command_line();
  runtime.windows_dir();
  runtime.settings_store().reload();
  std::exit(&runtime.settings_store() == &store ? 0 : 3);
}

// The program started to show a preview with its folder already recorded ends without ever
// opening the display; an attempt to open one here would end the child with an error.
TEST(RealRuntimeStart, NeedsNoDisplay) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(use_runtime_without_display(), ::testing::ExitedWithCode(0), "");
}

// A stand-in xdg-open first on PATH: it logs its arguments and folder, then exits with the code
// written in its folder (or keeps running on "sleep").
class ShellExecuteTest : public RealRuntimeTest {
 protected:
  void SetUp() override {
    fs::create_directory(bin_);
    std::ofstream(bin_ / "xdg-open") << "#!/bin/sh\n"
                                     << "printf '%s\\n' \"$#\" \"$1\" \"$(pwd -P)\" > \"" << (folder_ / "log").string()
                                     << "\"\ncode=$(cat \"" << (folder_ / "code").string() << "\")\n"
                                     << "[ \"$code\" = sleep ] && { sleep 2; exit 0; }\nexit \"$code\"\n";
    fs::permissions(bin_ / "xdg-open", fs::perms::owner_all);
  }
  int open_with_exit_code(const std::string& code, const std::string& file) {
    std::ofstream(folder_ / "code") << code;
    return runtime_.shell_execute(file, "", "", 1);
  }

  fs::path bin_ = folder_ / "bin";
  ScopedEnv path_{"PATH", bin_.string() + ":" + std::getenv("PATH")};
};

TEST_F(ShellExecuteTest, MissingLocalFileFailsWithoutStartingAnything) {
  EXPECT_EQ(runtime_.shell_execute((folder_ / "missing.htm").string(), "", "", 1), 2);
  EXPECT_EQ(runtime_.shell_execute("missing.htm", "", folder_.string(), 1), 2);
  EXPECT_EQ(runtime_.shell_execute("", "", "", 1), 2);
  EXPECT_FALSE(fs::exists(folder_ / "log"));
}

TEST_F(ShellExecuteTest, ExitStatusMapsToShellResults) {
  const std::string file = (folder_ / "help page.htm").string();
  std::ofstream(file) << "help";
  EXPECT_EQ(open_with_exit_code("0", file), 42);
  EXPECT_EQ(read_file(folder_ / "log"), "1\n" + file + "\n" + fs::current_path().string() + "\n");
  EXPECT_EQ(open_with_exit_code("2", file), 2);
  EXPECT_EQ(open_with_exit_code("1", file), 31);
  EXPECT_EQ(open_with_exit_code("3", file), 31);
  EXPECT_EQ(open_with_exit_code("4", file), 31);
  EXPECT_EQ(open_with_exit_code("5", file), 0);
}

TEST_F(ShellExecuteTest, AddressesPassUncheckedAndRelativeFilesOpenInTheirFolder) {
  std::ofstream(folder_ / "code") << "0";
  EXPECT_EQ(runtime_.shell_execute("https://example.invalid/a b?c=d;e", "", "", 1), 42);
  EXPECT_EQ(read_file(folder_ / "log"), "1\nhttps://example.invalid/a b?c=d;e\n" + fs::current_path().string() + "\n");
  std::ofstream(folder_ / "local.txt") << "x";
  EXPECT_EQ(runtime_.shell_execute("local.txt", "", folder_.string(), 1), 42);
  EXPECT_EQ(read_file(folder_ / "log"), "1\nlocal.txt\n" + fs::canonical(folder_).string() + "\n");
}

TEST_F(ShellExecuteTest, OpenerStillRunningCountsAsSuccessAndIsCollectedByYields) {
  const std::string file = (folder_ / "page.htm").string();
  std::ofstream(file) << "x";
  EXPECT_EQ(open_with_exit_code("sleep", file), 42);
  yield_for(1500);
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "a child is left uncollected";
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(ShellExecuteTest, TimersRunWhileTheOutcomeIsAwaited) {
  const std::string file = (folder_ / "page.htm").string();
  std::ofstream(file) << "x";
  Timer timer(runtime_);
  int fired = 0;
  timer.on_timer = [&] { ++fired; };
  timer.set_interval(50);
  timer.set_enabled(true);
  EXPECT_EQ(open_with_exit_code("sleep", file), 42);
  EXPECT_GE(fired, 10);
}

TEST_F(ShellExecuteTest, AProgramRunsItselfWithTheParametersAsItsArguments) {
  const fs::path program = folder_ / "program";
  std::ofstream(program) << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > written && mv written arguments\n";
  fs::permissions(program, fs::perms::owner_all);
  EXPECT_EQ(runtime_.shell_execute("program", "-a \"b c\"  \"\"", folder_.string(), 1), 42);
  ASSERT_TRUE(testing::yield_until_done(runtime_, [&] { return fs::exists(folder_ / "arguments"); }));
  EXPECT_EQ(read_file(folder_ / "arguments"), "3\n-a\nb c\n\n");
  EXPECT_FALSE(fs::exists(folder_ / "log")) << "not handed to xdg-open";
}

TEST_F(ShellExecuteTest, OpenerThatCannotStartFails) {
  ScopedEnv empty_path("PATH", folder_.string());
  const std::string file = (folder_ / "page.htm").string();
  std::ofstream(file) << "x";
  EXPECT_EQ(runtime_.shell_execute(file, "", "", 1), 0);
}

TEST(MessageBoxText, CarriageReturnsAndLineFeedsEachBreakOneLine) {
  EXPECT_EQ(message_box_text("a\rb\r\nc\nd\r"), "a\nb\nc\nd\n");
  EXPECT_EQ(message_box_text("\r\r\n\n\r"), "\n\n\n\n");
  EXPECT_EQ(message_box_text("50% @home & away"), "50% @home & away");
}

// Runs a message box while `during` acts on it from a timeout; a stuck box is closed after a
// few seconds so that a failure cannot hang the run.
class MessageBoxTest : public RealRuntimeTest {
 protected:
  bool run_box(const std::string& prompt, const std::string& title, std::function<void()> during) {
    during_ = std::move(during);
    stuck_ = false;
    Fl::add_timeout(0.3, act, this);
    Fl::add_timeout(5.0, give_up, this);
    runtime_.message_box(prompt, title);
    Fl::remove_timeout(act, this);
    Fl::remove_timeout(give_up, this);
    return !stuck_;
  }

 private:
  static void act(void* self) { static_cast<MessageBoxTest*>(self)->during_(); }
  static void give_up(void* self) {
    static_cast<MessageBoxTest*>(self)->stuck_ = true;
    if (Fl::modal() != nullptr) Fl::modal()->hide();
  }

  std::function<void()> during_;
  bool stuck_ = false;
};

TEST_F(MessageBoxTest, ShowsTitleTextAndOneOkButtonCentredOnTheDialogsBackdrop) {
  Fl_Window* seen = nullptr;
  std::string label, text, button;
  int buttons = 0;
  int children = 0;
  Pixel corner = 0;
  ASSERT_TRUE(run_box("First line\rsecond line", "Quarlyn title", [&] {
    seen = Fl::modal();
    Fl::flush();
    if (Display* other = XOpenDisplay(nullptr)) {
      corner = testing::Screenshot(other).at(seen->x() + 3, seen->y() + 3);
      XCloseDisplay(other);
    }
    label = seen->label();
    children = seen->children();
    for (int i = 0; i < seen->children(); ++i) {
      Fl_Widget* child = seen->child(i);
      if (dynamic_cast<Fl_Return_Button*>(child) != nullptr) button = child->label();
      if (dynamic_cast<Fl_Button*>(child) != nullptr) ++buttons;
      else text = child->label();
    }
    EXPECT_NEAR(seen->x() + seen->w() / 2, Fl::w() / 2, 2);
    EXPECT_NEAR(seen->y() + seen->h() / 2, Fl::h() / 2, 2);
    seen->hide();
  }));
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(label, "Quarlyn title");
  EXPECT_EQ(text, "First line\nsecond line");
  EXPECT_EQ(button, "OK");
  EXPECT_EQ(buttons, 1);
  EXPECT_EQ(children, 2);
  EXPECT_EQ(corner, rgb(0x12, 0x1a, 0x33)) << std::hex << corner;
}

// The pointer is moved off the box first: with no window manager, keys would otherwise reach it
// through the pointer even if it had not taken the focus.
TEST_F(MessageBoxTest, KeysFromOutsideReachItWithoutAWindowManager) {
  for (const char* key : {"Return", "Escape"}) {
    pid_t xdotool = 0;
    const bool closed = run_box("Press a key", "Quarlyn keys", [&] {
      xdotool = testing::start_xdotool({"mousemove", "0", "0", "key", key});
    });
    if (xdotool != 0) waitpid(xdotool, nullptr, 0);
    ASSERT_NE(xdotool, 0) << "xdotool could not be started";
    EXPECT_TRUE(closed) << key << " did not close the box";
  }
}

}  // namespace
}  // namespace quarlyn
