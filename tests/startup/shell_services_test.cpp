#include "startup/shell_services.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/test/test_runtime.h"
#include "support/temp_folder.h"

namespace quarlyn {
namespace {

TEST(FileExists, CountsOnlyFilesOfTwoBytesOrMore) {
  testing::TempFolder folder;
  EXPECT_FALSE(file_exists(folder.file("empty.bmp", 0)));
  EXPECT_FALSE(file_exists(folder.file("one.bmp", 1)));
  EXPECT_TRUE(file_exists(folder.file("two.bmp", 2)));
  EXPECT_FALSE(file_exists((folder.path() / "missing.bmp").string()));
  EXPECT_FALSE(file_exists(folder.path().string()));
  EXPECT_FALSE(file_exists(""));
  EXPECT_FALSE(file_exists("empty"));
}

TEST(FileNameOf, TakesThePartAfterTheLastSlash) {
  EXPECT_EQ(file_name_of("/usr/share/quarlyn/help.htm"), "help.htm");
  EXPECT_EQ(file_name_of("help.htm"), "help.htm");
  EXPECT_EQ(file_name_of("/usr/share/quarlyn/"), "");
  EXPECT_EQ(file_name_of(""), "");
  EXPECT_EQ(file_name_of("a/b/c"), "c");
}

TEST(Cursor, EachServiceCallsAtLeastOnceAndStopsAtItsThreshold) {
  TestRuntime rt;
  show_cursor(rt);
  EXPECT_EQ(rt.cursor_count, 1);
  EXPECT_EQ(rt.cursor_calls.size(), 1u);

  rt.cursor_count = -1;
  hide_cursor(rt);
  EXPECT_EQ(rt.cursor_count, -2);

  rt.cursor_count = -3;
  rt.cursor_calls.clear();
  show_cursor(rt);
  EXPECT_EQ(rt.cursor_count, 0);
  EXPECT_EQ(rt.cursor_calls, std::vector<bool>({true, true, true}));

  rt.cursor_count = 2;
  hide_cursor(rt);
  EXPECT_EQ(rt.cursor_count, -1);
}

TEST(SaverMode, EnterThenLeaveAnnouncesAndRestoresTheHostFlagsInOrder) {
  TestRuntime rt;
  enter_saver_mode(rt);
  leave_saver_mode(rt);
  ASSERT_EQ(rt.system_calls.size(), 4u);
  auto expect_call = [&](size_t i, uint32_t action, int32_t value) {
    EXPECT_EQ(rt.system_calls[i].action, action);
    EXPECT_EQ(rt.system_calls[i].value, value);
    EXPECT_EQ(rt.system_calls[i].flags, 0u);
  };
  expect_call(0, 97, -1);
  expect_call(1, 17, 0);
  expect_call(2, 97, 0);
  expect_call(3, 17, -1);

  set_desktop_wallpaper(rt, "/tmp/wall.bmp");
  EXPECT_EQ(rt.system_calls.back().action, 20u);
  EXPECT_EQ(rt.system_calls.back().text, "/tmp/wall.bmp");
  EXPECT_EQ(rt.system_calls.back().flags, 3u);
}

TEST(PauseMs, WaitsTheTimeAndAlwaysYieldsAtLeastOnce) {
  TestRuntime rt;
  rt.set_clock(1000);
  pause_ms(rt, 250);
  EXPECT_EQ(rt.time_get_time(), 1250);

  int64_t before = rt.yields();
  pause_ms(rt, 0);
  pause_ms(rt, -5);
  EXPECT_EQ(rt.yields(), before + 2);
}

TEST(PauseMs, EndsOnTimeAcrossTheClockWrap) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  TestRuntime rt;
  rt.set_clock(kMax - 100);
  pause_ms(rt, 300);
  EXPECT_EQ(rt.time_get_time(), std::numeric_limits<int32_t>::min() + 199);

  // A target beyond the largest value still comes, instead of being reached at once.
  rt.set_clock(kMax - 10);
  pause_ms(rt, kMax);
  EXPECT_EQ(rt.time_get_time(), static_cast<int32_t>(static_cast<uint32_t>(kMax - 10) + kMax));
  EXPECT_LT(rt.yields(), 10);
}

TEST(PauseMs, RunsTimersAndActionsThatFallInsideIt) {
  TestRuntime rt;
  int ran = 0;
  rt.after(40, [&] { ++ran; });
  rt.after(500, [&] { ++ran; });
  pause_ms(rt, 100);
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(rt.time_get_time(), 100);
}

TEST(CenterForm, CentresKeepingTheSizeAndYieldsOnce) {
  TestRuntime rt;
  rt.screen_w = 1024;
  rt.screen_h = 768;
  Form form;
  form.move({5, 5, 353, 261});
  center_form(rt, form);
  EXPECT_EQ(form.bounds().width, 353);
  EXPECT_EQ(form.bounds().height, 261);
  EXPECT_EQ(form.bounds().left, 336);  // 512 - 176.5, to the nearest pixel
  EXPECT_EQ(form.bounds().top, 254);   // 384 - 130.5
  EXPECT_EQ(rt.yields(), 1);

  form.move({0, 0, 1300, 900});
  center_form(rt, form);
  EXPECT_EQ(form.bounds().left, -138);
  EXPECT_EQ(form.bounds().top, -66);
}

}  // namespace
}  // namespace quarlyn
