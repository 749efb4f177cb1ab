#include "saver/well_animations.h"

#include <gtest/gtest.h>

#include "saver/saver_test_support.h"

namespace quarlyn {
namespace {

class WellAnimationsTest : public ::testing::Test {
 protected:
  WellAnimationsTest() {
    screen().background_main = Surface(640, 480, rgb(50, 50, 50));
    screen().ascreen = Surface(640, 480, rgb(50, 50, 50));
    game().flash_interval = 2;
  }
  PlayScreen& screen() { return h.saver.screen; }
  Game& game() { return h.saver.game; }
  Pixel row_pixel(int row) { return screen().ascreen.pixel(300, 20 * row + 10); }

  testing::SaverHarness h;
};

TEST_F(WellAnimationsTest, RowsBlinkOnEverySecondCallStartingHidden) {
  game().full_rows[23] = 1;
  game().full_rows[21] = 1;
  std::vector<Pixel> seen;
  for (int call = 1; call <= 8; ++call) {
    screen().ascreen.fill({220, 460, 200, 20}, rgb(99, 99, 99));  // marks "not drawn this call"
    stakko_flasher(h.saver);
    seen.push_back(row_pixel(23));
  }
  const Pixel untouched = rgb(99, 99, 99), shown = rgb(50, 50, 50), hidden = testing::kEmptyRowColour;
  EXPECT_EQ(seen, std::vector<Pixel>({untouched, shown, untouched, hidden, untouched, shown, untouched, hidden}));
  EXPECT_EQ(row_pixel(22), rgb(50, 50, 50)) << "a row between full rows stays";
}

TEST_F(WellAnimationsTest, FourRowsShowTheBonusPictureTopStripOnTop) {
  for (int row = 20; row <= 23; ++row) game().full_rows[row] = 1;
  game().bonus_clear = 1;
  for (int call = 0; call < 4; ++call) stakko_flasher(h.saver);
  EXPECT_EQ(row_pixel(20), testing::kBonusColour + 0);
  EXPECT_EQ(row_pixel(23), testing::kBonusColour + 3);
}

TEST_F(WellAnimationsTest, TheFillPaintsBottomUpAndSoundsEveryFourthRow) {
  game().fill_row = 23;
  game().filling = 1;
  game().fill_sound_counter = 0;
  for (int call = 1; call <= 23; ++call) stakko_clearing(h.saver);
  EXPECT_EQ(game().filling, 1);
  EXPECT_EQ(screen().ascreen.pixel(225, 25), rgb(77, 77, 77));
  EXPECT_EQ(screen().background_copy.pixel(225, 25), rgb(77, 77, 77));
  EXPECT_NE(screen().ascreen.pixel(225, 5), rgb(77, 77, 77));
  stakko_clearing(h.saver);
  EXPECT_EQ(game().filling, 0);
  EXPECT_EQ(game().fill_row, -1);
  EXPECT_EQ(screen().ascreen.pixel(415, 5), rgb(77, 77, 77));
  EXPECT_EQ(game().fill_sound_counter, 0);  // 24 calls: the sound came after rows 20, 16 ... 0
}

}  // namespace
}  // namespace quarlyn
