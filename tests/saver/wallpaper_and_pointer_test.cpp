#include "saver/wallpaper_and_pointer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/picture_files.h"
#include "platform/test/test_screen_window.h"
#include "saver/saver_test_support.h"
#include "support/idle_screen_handler.h"

namespace quarlyn {
namespace {

namespace fs = std::filesystem;

using testing::IdleHandler;

class WallpaperTest : public ::testing::Test {
 protected:
  WallpaperTest() {
    h.saver.screen_window = window.get();
    h.saver.window.screen_width = 64;
    h.saver.window.screen_height = 48;
    rt().shown_screen = Surface(64, 48);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x)
        rt().shown_screen.set_pixel(x, y, rgb(static_cast<uint8_t>(4 * x), 9, static_cast<uint8_t>(5 * y)));
    rt().windows_dir_text = (rt().folder() / "data folder").string() + "/";
  }
  TestRuntime& rt() { return h.runtime; }
  TestScreenWindow& test_window() { return static_cast<TestScreenWindow&>(*window); }

  testing::SaverHarness h;
  IdleHandler handler;
  std::unique_ptr<ScreenWindow> window = h.runtime.create_screen_window("StakkoSaver", handler);
};

TEST_F(WallpaperTest, SavesTheShownScreenAsTheWallpaperAndGivesTheBackBufferBack) {
  window->set_time_box("0:42", true);
  const Surface back_buffer = h.saver.screen.background_work;
  Game& game = h.saver.game;
  game.sprite_x[1] = 10, game.sprite_y[1] = 10, game.sprite_image[1] = 3, game.sprite_active[1] = 1;
  const int64_t yields = rt().yields();
  save_wallpaper(h.saver);
  const std::string path = rt().windows_dir_text + "Quarlyn.exe Image.bmp";
  const std::optional<Surface> saved = load_picture(path);
  ASSERT_TRUE(saved);
  EXPECT_TRUE(testing::same_pixels(*saved, rt().shown_screen));
  ASSERT_EQ(rt().system_calls.size(), 1u);
  EXPECT_EQ(rt().system_calls[0].action, 20u);
  EXPECT_EQ(rt().system_calls[0].value, 0);
  EXPECT_EQ(rt().system_calls[0].text, path);
  EXPECT_EQ(rt().system_calls[0].flags, 3u);
  EXPECT_EQ(rt().yields() - yields, 3);
  EXPECT_FALSE(h.saver.message_line.scroller.visible);
  EXPECT_FALSE(test_window().time_box_visible);
  EXPECT_EQ(h.saver.screen.ascreen.pixel(15, 15), testing::block_colour(3)) << "the sprites were drawn";
  EXPECT_TRUE(testing::same_pixels(h.saver.screen.background_work, back_buffer));
}

TEST_F(WallpaperTest, AFileThatCannotBeWrittenSetsNoWallpaper) {
  std::ofstream(rt().folder() / "plain file") << "x";
  for (const std::string& folder : {(rt().folder() / "plain file").string() + "/", std::string()}) {
    rt().windows_dir_text = folder;
    save_wallpaper(h.saver);
  }
  EXPECT_TRUE(rt().system_calls.empty());
}

TEST_F(WallpaperTest, MousePositionIsAPointOfTheWindowsClientArea) {
  window->move({10, 20, 100, 100});
  set_mouseposition(h.saver, 5.5, 7.4);
  ASSERT_EQ(rt().cursor_positions.size(), 1u);
  EXPECT_EQ(rt().cursor_positions[0], (std::pair<int, int>{16, 27}));
}

}  // namespace
}  // namespace quarlyn
