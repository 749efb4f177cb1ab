#include "saver/sprite_compositor.h"

#include <gtest/gtest.h>

#include <functional>

#include "saver/saver_test_support.h"

namespace quarlyn {
namespace {

class CompositorTest : public ::testing::Test {
 protected:
  CompositorTest() {
    // The work buffer and the visible screen start different, so each copy shows.
    screen().background_copy = Surface(640, 480, rgb(0, 0, 1));
    screen().background_work = Surface(640, 480, rgb(0, 0, 2));
    screen().ascreen = Surface(640, 480, rgb(0, 0, 3));
    screen().ascreen.track_changes(true);
  }
  PlayScreen& screen() { return h.saver.screen; }
  Game& game() { return h.saver.game; }

  void place_slot(int slot, int x, int y, int image = 5) {
    game().sprite_x[slot] = x;
    game().sprite_y[slot] = y;
    game().sprite_image[slot] = image;
    game().sprite_active[slot] = 1;
  }
  // One frame of the loop; `step` stands for the game step between erasing and drawing.
  void frame(const std::function<void()>& step = [] {}) {
    blit_old_sprites(h.saver);
    step();
    blit_new_sprites(h.saver);
    blit_flicker_free(h.saver);
  }

  testing::SaverHarness h;
};

TEST_F(CompositorTest, AfterInitTheSlotsAreOrderedInactiveAndUnmasked) {
  for (int slot = 1; slot <= 16; ++slot) {
    EXPECT_EQ(game().sprite_order[slot], slot);
    EXPECT_EQ(game().sprite_image[slot], 0);
    EXPECT_EQ(game().sprite_active[slot], 0);
    EXPECT_EQ(game().sprite_masked[slot], 0);
  }
  EXPECT_EQ(game().sprite_table[1][1], 0);
  EXPECT_EQ(game().sprite_table[100][1], 180);
  EXPECT_EQ(game().sprite_table[100][2], 180);
  EXPECT_EQ(game().sprite_table[101][1], 20);
  EXPECT_EQ(game().sprite_table[101][2], 200);
  EXPECT_EQ(game().sprite_table[111][3], 0);
  EXPECT_EQ(game().sprite_table[0][5], -1);
  sprite_off(game(), 3);
  EXPECT_EQ(game().sprite_masked[3], 1);
}

TEST_F(CompositorTest, RefreshCoversOldAndNewPlaceCutBeyondAHundredPixels) {
  frame([&] { place_slot(1, 300, 200); });  // never erased: the old place counts as 0
  auto first = screen().ascreen.take_changes();
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].left, 0);
  EXPECT_EQ(first[0].top, 0);
  EXPECT_EQ(first[0].width, 120);
  EXPECT_EQ(first[0].height, 120);

  frame();  // unmoved: exactly the image
  auto still = screen().ascreen.take_changes();
  ASSERT_EQ(still.size(), 1u);
  EXPECT_EQ(still[0].left, 300);
  EXPECT_EQ(still[0].width, 20);
  EXPECT_EQ(still[0].height, 20);

  frame([&] { game().sprite_x[1] = 320; });  // 20 to the right: 20 + 1 + 20
  auto moved = screen().ascreen.take_changes();
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_EQ(moved[0].left, 300);
  EXPECT_EQ(moved[0].width, 41);
  EXPECT_EQ(screen().ascreen.pixel(330, 210), testing::block_colour(5));
  EXPECT_EQ(screen().ascreen.pixel(305, 210), rgb(0, 0, 1)) << "the old place is erased";
}

TEST_F(CompositorTest, APendingRedrawSuppressesOnlyTheDrawPass) {
  place_slot(1, 300, 200);
  h.saver.window.full_redraw_pending = 1;
  frame();
  EXPECT_EQ(screen().background_work.pixel(305, 205), rgb(0, 0, 1)) << "erased but not drawn";
  EXPECT_EQ(screen().ascreen.pixel(305, 205), rgb(0, 0, 1)) << "the copy pass still ran";
}

TEST_F(CompositorTest, WholeStripModeCopiesTheWellOnlyAndKeepsOldPositions) {
  h.settings.screen_blit = -1;
  screen().background_main = Surface(640, 480, rgb(9, 9, 9));
  place_slot(1, 300, 200);
  frame();
  EXPECT_EQ(screen().ascreen.pixel(305, 205), testing::block_colour(5));
  EXPECT_EQ(screen().ascreen.pixel(225, 5), rgb(9, 9, 9));
  EXPECT_EQ(screen().ascreen.pixel(219, 5), rgb(0, 0, 3)) << "outside the strip nothing is refreshed";
  EXPECT_EQ(game().sprite_old_x[1], 0);
}

TEST_F(CompositorTest, DrawPieceFillsOneSlotPerFilledCell) {
  game().piece_kind = 1;
  game().piece_shapes[1][1] = 1;
  game().piece_shapes[1][4] = 1;
  game().piece_shapes[1][5] = 1;
  game().piece_x = 280;
  game().piece_y = -20;
  game().piece_image = 42;
  game().sprite_image[4] = 77;
  stakko_drawpiece(game());
  EXPECT_EQ(game().sprite_x[1], 300);
  EXPECT_EQ(game().sprite_y[1], -20);
  EXPECT_EQ(game().sprite_x[2], 280);
  EXPECT_EQ(game().sprite_y[3], 0);
  EXPECT_EQ(game().sprite_image[3], 42);
  EXPECT_EQ(game().sprite_active[3], 1);
  EXPECT_EQ(game().sprite_image[4], 77) << "slots above the piece's cells are untouched";
}

}  // namespace
}  // namespace quarlyn
