#include "saver/sprite_extras.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "saver/random_chances.h"
#include "saver/saver_test_support.h"

namespace quarlyn {
namespace {

class SpriteExtrasTest : public ::testing::Test {
 protected:
  Game& game() { return h.saver.game; }
  TestRuntime& rt() { return h.runtime; }
  void screen_size(int width, int height) {
    h.saver.window.screen_width = width;
    h.saver.window.screen_height = height;
    init_sprites(h.saver);
  }
  std::vector<int32_t> depth_keys_in_order() {
    std::vector<int32_t> keys;
    for (int i = 1; i <= game().sprite_count; ++i)
      keys.push_back(game().sprite_table[game().sprite_image[game().sprite_order[i]]][5]);
    return keys;
  }

  testing::SaverHarness h;
};

auto slot_fields(const Game& g) {
  return std::tie(g.sprite_x, g.sprite_y, g.sprite_image, g.sprite_active, g.sprite_masked, g.sprite_erase_pending,
                  g.sprite_motion, g.sprite_dx, g.sprite_dy, g.sprite_dx2, g.sprite_dy2, g.sprite_wobble,
                  g.sprite_inertia, g.sprite_restore_rect, g.sprite_anim, g.sprite_anim_step, g.sprite_type_count);
}

TEST(RandomChances, TrueOnlyBelowTheirLimitEachFromAFreshSeed) {
  TestRuntime rt;
  rt.scripted_draws = {0.0, 0.4985, 0.4995, 0.9995, 0.1985, 0.1995};  // draws 1, 499, 500, 1000, 199, 200
  EXPECT_EQ(random_chance_500(rt), -1);
  EXPECT_EQ(random_chance_500(rt), -1);
  EXPECT_EQ(random_chance_500(rt), 0);
  EXPECT_EQ(random_chance_500(rt), 0);
  EXPECT_EQ(random_chance_200(rt), -1);
  EXPECT_EQ(random_chance_200(rt), 0);
  EXPECT_EQ(rt.randomize_calls, 6);
}

TEST_F(SpriteExtrasTest, InitSpritesResetsTheMessageLineAndScalesTheMotionSteps) {
  MessageLine& line = h.saver.message_line;
  line.scroller_index = 5;
  line.scroller_state = 2;
  line.scroller_wait = 7;
  line.scroller_gap = 3;
  screen_size(800, 600);
  EXPECT_EQ(line.scroller_index, 0);
  EXPECT_EQ(line.scroller_state, 0);
  EXPECT_EQ(line.scroller_wait, 3);
  EXPECT_DOUBLE_EQ(game().motion_step_x[1], 800 / 2500.0);
  EXPECT_DOUBLE_EQ(game().motion_step_x[20], 800 / 600.0);
}

TEST_F(SpriteExtrasTest, LaunchObjectOnAn800PixelScreenStaysInItsRanges) {
  screen_size(800, 600);
  rt().scripted_draws = {0, 0, 0, 0, 0, 0, 0, 0};  // every draw at its lowest; the wobble chosen
  launch_object(h.saver, 3);
  EXPECT_EQ(game().sprite_x[3], 1);
  EXPECT_EQ(game().sprite_y[3], -81);
  EXPECT_DOUBLE_EQ(game().sprite_dy[3], 1.2);
  EXPECT_EQ(game().sprite_motion[3], 2);
  EXPECT_EQ(game().sprite_dx[3], 0);
  EXPECT_EQ(game().sprite_wobble[3][1], -1);
  EXPECT_EQ(game().sprite_wobble[3][2], 1);
  EXPECT_DOUBLE_EQ(game().sprite_wobble[3][3], game().motion_step_x[1] / 3);
  rt().scripted_draws = {0.9999, 0.9999, 0.9999, 0.9999, 0.9999, 0.9999};  // at their highest; no wobble
  launch_object(h.saver, 3);
  EXPECT_EQ(game().sprite_x[3], 740);
  EXPECT_EQ(game().sprite_y[3], -105);
  EXPECT_DOUBLE_EQ(game().sprite_dx[3], 0.5);
  EXPECT_DOUBLE_EQ(game().sprite_dy[3], 6.6);
  EXPECT_EQ(game().sprite_motion[3], 1);
  for (int i = 0; i < 300; ++i) {
    rt().set_clock(i);
    launch_object(h.saver, 4);
    EXPECT_TRUE(game().sprite_x[4] >= 1 && game().sprite_x[4] <= 740);
    EXPECT_TRUE(game().sprite_y[4] >= -105 && game().sprite_y[4] <= -81);
    const double dy_steps = (game().sprite_dy[4] - 1) / 0.2;
    EXPECT_TRUE(std::abs(dy_steps - std::round(dy_steps)) < 1e-9 && dy_steps > 0.5 && dy_steps < 28.5);
    const double dx = std::abs(game().sprite_dx[4]);
    if (game().sprite_motion[4] == 2) {
      EXPECT_EQ(dx, 0);
    } else {
      EXPECT_EQ(game().sprite_motion[4], 1);
      EXPECT_TRUE(dx > 0.05 && dx < 0.55 && std::abs(dx * 10 - std::round(dx * 10)) < 1e-9);
    }
    EXPECT_EQ(game().sprite_image[4], 1);
    EXPECT_EQ(game().sprite_masked[4], 0);
    EXPECT_EQ(game().sprite_active[4], 1);
  }
}

TEST_F(SpriteExtrasTest, SlotSetUpsFillTheirFieldsAndSpriteOffClearsPartOfThem) {
  screen_size(801, 600);
  game().sprite_masked[2] = 1;
  launch_firework(h.saver, 2);
  EXPECT_EQ(game().sprite_x[2], 400) << "400.5 to the even neighbour";
  EXPECT_EQ(game().sprite_y[2], 600);
  EXPECT_EQ(game().sprite_motion[2], 1);
  EXPECT_EQ(game().sprite_dx[2], 0.1);
  EXPECT_EQ(game().sprite_dx2[2], 0.005);
  EXPECT_EQ(game().sprite_dy[2], -9);
  EXPECT_EQ(game().sprite_dy2[2], 0.1);
  EXPECT_EQ(game().sprite_image[2], 1);
  EXPECT_EQ(game().sprite_active[2], 1);
  EXPECT_EQ(game().sprite_masked[2], 1);

  vb_inertia(game(), 5, 1, 2, 3, 4, 5, 6);
  EXPECT_EQ(game().sprite_motion[5], 8);
  EXPECT_EQ(game().sprite_inertia[5], (std::array<double, 11>{0, 1, 3, 0, 2, 0, 5, 0, 4, 0, 6}));
  EXPECT_EQ(game().sprite_active[5], 1);

  game().sprite_old_x[6] = 33;
  game().sprite_old_y[6] = 44;
  game().sprite_image[6] = 7;
  sprite_restoreit(game(), 6);
  EXPECT_TRUE(game().sprite_erase_pending[6]);
  EXPECT_EQ(game().sprite_restore_rect[6], (std::array<double, 5>{0, 33, 44, 20, 20}));

  setsprite_anim(game(), 7.5, 1);  // slot 8
  EXPECT_EQ(game().sprite_anim[8], 1);
  EXPECT_EQ(game().sprite_image[8], game().anim_table[1][1]);

  sprite_off(game(), 2);
  EXPECT_EQ(game().sprite_motion[2], 0);
  EXPECT_EQ(game().sprite_dx2[2], 0);
  EXPECT_EQ(game().sprite_dy2[2], 0);
  EXPECT_EQ(game().sprite_dx[2], 0.1) << "kept";
  EXPECT_EQ(game().sprite_dy[2], -9) << "kept";
}

TEST_F(SpriteExtrasTest, CallsNamingSlotsOrAnimationsOutsideTheTablesDoNothing) {
  screen_size(800, 600);
  const Game before = game();
  for (double slot : {-1.0, 33.0, 32.5 + 1, 1e12, std::nan("")}) {
    launch_firework(h.saver, slot);
    launch_object(h.saver, slot);
    vb_inertia(game(), slot, 1, 2, 3, 4, 5, 6);
    sprite_restoreit(game(), slot);
    check_vertical(h.saver, slot);
    setsprite_anim(game(), slot, 0);
  }
  setsprite_anim(game(), 3, 2);
  setsprite_anim(game(), 3, -1);
  EXPECT_TRUE(slot_fields(before) == slot_fields(game()));
}

TEST_F(SpriteExtrasTest, CheckVerticalKeepsTheImageWithinTheScreenHeightTopFirst) {
  screen_size(800, 600);
  game().sprite_image[1] = 5;
  game().sprite_x[1] = 123;
  game().sprite_y[1] = -5;
  check_vertical(h.saver, 1);
  EXPECT_EQ(game().sprite_y[1], 0);
  game().sprite_y[1] = 590;
  check_vertical(h.saver, 1);
  EXPECT_EQ(game().sprite_y[1], 580);
  h.saver.window.screen_height = 10;
  check_vertical(h.saver, 1);
  EXPECT_EQ(game().sprite_y[1], -10) << "taller than the screen: above the top edge";
  EXPECT_EQ(game().sprite_x[1], 123);
}

TEST_F(SpriteExtrasTest, SortSpritesMakesOnePassAndKeepsEqualKeysInOrder) {
  game().sprite_count = 3;
  for (int slot = 1; slot <= 3; ++slot) game().sprite_image[slot] = 50 + slot;
  game().sprite_table[51][5] = 3;
  game().sprite_table[52][5] = 2;
  game().sprite_table[53][5] = 1;
  sort_sprites(game());
  EXPECT_EQ(depth_keys_in_order(), (std::vector<int32_t>{2, 1, 3}));
  sort_sprites(game());
  EXPECT_EQ(depth_keys_in_order(), (std::vector<int32_t>{1, 2, 3}));
  for (int image = 51; image <= 53; ++image) game().sprite_table[image][5] = 0;
  sort_sprites(game());
  EXPECT_EQ(game().sprite_order[1], 3);
  EXPECT_EQ(game().sprite_order[2], 2);
  EXPECT_EQ(game().sprite_order[3], 1);
}

TEST_F(SpriteExtrasTest, TestSpritesStacksTheSlotsInAColumnAtX350) {
  for (int slot = 1; slot <= 16; ++slot) {
    rt().scripted_draws.push_back(0.5);  // image 10
    rt().scripted_draws.push_back(0.9);  // no animation
  }
  test_sprites(h.saver);
  for (int slot = 1; slot <= 16; ++slot) {
    EXPECT_EQ(game().sprite_x[slot], 350);
    EXPECT_EQ(game().sprite_y[slot], 10 * (slot - 1));
    EXPECT_EQ(game().sprite_image[slot], 10);
    EXPECT_EQ(game().sprite_active[slot], 1);
    EXPECT_EQ(game().sprite_masked[slot], 1);
  }
  // Slot 1 is asked for animation 2, which does not exist; slot 2 for animation 1, whose first
  // image is none, so slot 3 follows at slot 2's place.
  rt().scripted_draws = {0.5, 0.0, 0.9, 0.5, 0.0, 0.0, 0.5, 0.9};
  test_sprites(h.saver);
  EXPECT_EQ(game().sprite_image[1], 10);
  EXPECT_EQ(game().sprite_anim[1], 0);
  EXPECT_EQ(game().sprite_image[2], 0);
  EXPECT_EQ(game().sprite_anim[2], 1);
  EXPECT_EQ(game().sprite_y[2], 10);
  EXPECT_EQ(game().sprite_y[3], 10);
}

TEST_F(SpriteExtrasTest, BlitSpritesCombinesStraightOntoTheScreenUnlessARedrawIsDue) {
  PlayScreen& screen = h.saver.screen;
  screen.ascreen = Surface(640, 480, rgb(0x0F, 0x50, 0x0F));
  screen.mask = Surface(200, 220, rgb(0xF0, 0x0F, 0xF0));
  game().sprite_x[1] = 100, game().sprite_y[1] = 100, game().sprite_image[1] = 5, game().sprite_active[1] = 1;
  game().sprite_x[2] = 300, game().sprite_y[2] = 100, game().sprite_image[2] = 6, game().sprite_active[2] = 1;
  game().sprite_masked[2] = 1;
  const Surface work_before = screen.background_work;
  h.saver.window.full_redraw_pending = 1;
  blit_sprites(h.saver);
  EXPECT_EQ(screen.ascreen.pixel(105, 105), rgb(0x0F, 0x50, 0x0F));
  h.saver.window.full_redraw_pending = 0;
  blit_sprites(h.saver);
  EXPECT_EQ(screen.ascreen.pixel(105, 105), rgb(0x0F, 0x50, 0x0F) | testing::block_colour(5));
  EXPECT_EQ(screen.ascreen.pixel(119, 119), rgb(0x0F, 0x50, 0x0F) | testing::block_colour(5));
  EXPECT_EQ(screen.ascreen.pixel(305, 105), (rgb(0x0F, 0x50, 0x0F) & rgb(0xF0, 0x0F, 0xF0)) | testing::block_colour(6));
  EXPECT_EQ(screen.ascreen.pixel(120, 105), rgb(0x0F, 0x50, 0x0F));
  EXPECT_TRUE(testing::same_pixels(screen.background_work, work_before));
}

TEST_F(SpriteExtrasTest, SpritesClearErasesTheActiveSpritesAndSwitchesEverySlotOff) {
  PlayScreen& screen = h.saver.screen;
  screen.background_copy = Surface(640, 480, rgb(1, 1, 1));
  screen.background_work = Surface(640, 480, rgb(2, 2, 2));
  game().sprite_x[4] = 40, game().sprite_y[4] = 60, game().sprite_image[4] = 9, game().sprite_active[4] = 1;
  sprites_clear(h.saver);
  EXPECT_EQ(screen.background_work.pixel(45, 65), rgb(1, 1, 1));
  EXPECT_EQ(screen.background_work.pixel(65, 65), rgb(2, 2, 2));
  for (int slot = 1; slot <= 16; ++slot) {
    EXPECT_EQ(game().sprite_active[slot], 0);
    EXPECT_EQ(game().sprite_image[slot], 0);
  }
}

}  // namespace
}  // namespace quarlyn
