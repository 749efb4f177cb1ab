#include "saver/sprite_extras.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "saver/random_chances.h"
#include "saver/sprite_compositor.h"
#include "saver/whole_numbers.h"

namespace quarlyn {

namespace {

using ImageRow = std::array<int32_t, 6>;

constexpr int32_t kTestColumnX = 350;

std::optional<int> slot_number(double slot) {
  const int32_t s = whole(slot);
  if (std::isnan(slot) || s < 0 || s > kSpriteSlots) return std::nullopt;
  return s;
}

// The image row a slot shows; none for an image number outside the table.
const ImageRow* image_of(const Game& game, int slot) {
  const int32_t image = game.sprite_image[slot];
  if (image < 0 || image >= kSpriteImages) return nullptr;
  return &game.sprite_table[image];
}

// The slots the passes visit, never beyond the table.
int last_slot(const Game& game) { return std::clamp(game.sprite_count, 0, kSpriteSlots); }

bool valid_slot(int slot) { return slot >= 0 && slot <= kSpriteSlots; }

void choose_wobble(Saver& saver, int s) {
  Game& game = saver.game;
  const int32_t amplitude = random_whole(saver.runtime, 3);
  game.sprite_wobble[s][1] = -amplitude;
  game.sprite_wobble[s][2] = amplitude;
  game.sprite_wobble[s][3] = game.motion_step_x[random_whole(saver.runtime, 6)] / 3;
  game.sprite_dx[s] = 0;
  game.sprite_motion[s] = 2;
}

}  // namespace

void launch_firework(Saver& saver, double slot) {
  const auto s = slot_number(slot);
  if (!s) return;
  Game& game = saver.game;
  // Slot positions are whole pixels: an odd screen width puts the rocket at the even neighbour.
  game.sprite_x[*s] = whole(saver.window.screen_width / 2.0);
  game.sprite_y[*s] = saver.window.screen_height;
  game.sprite_motion[*s] = 1;
  game.sprite_dx[*s] = 0.1;
  game.sprite_dx2[*s] = 0.005;
  game.sprite_dy[*s] = -9;
  game.sprite_dy2[*s] = 0.1;
  game.sprite_image[*s] = 1;
  game.sprite_active[*s] = 1;
}

void launch_object(Saver& saver, double slot) {
  const auto s = slot_number(slot);
  if (!s) return;
  Runtime& runtime = saver.runtime;
  Game& game = saver.game;
  runtime.randomize();
  sprite_off(game, *s);
  game.sprite_x[*s] = random_whole(runtime, saver.window.screen_width - 60);
  game.sprite_y[*s] = -80 - random_whole(runtime, 25);
  const int32_t side = random_whole(runtime, 500);
  game.sprite_dx[*s] = random_whole(runtime, 5) * 0.1;
  if (side < 250) game.sprite_dx[*s] = -game.sprite_dx[*s];
  game.sprite_dy[*s] = random_whole(runtime, 28) * 0.2 + 1;
  game.sprite_image[*s] = 1;
  game.sprite_masked[*s] = 0;
  game.sprite_active[*s] = 1;
  game.sprite_motion[*s] = 1;
  if (random_chance_500(runtime) != 0) choose_wobble(saver, *s);
}

void vb_inertia(Game& game, double slot, double p1, double p2, double p3, double p4, double p5, double p6) {
  const auto s = slot_number(slot);
  if (!s) return;
  game.sprite_motion[*s] = 8;
  game.sprite_inertia[*s] = {0, p1, p3, 0, p2, 0, p5, 0, p4, 0, p6};
  game.sprite_active[*s] = 1;
}

void sprite_restoreit(Game& game, double x) {
  const auto s = slot_number(x);
  if (!s) return;
  const ImageRow* image = image_of(game, *s);
  if (image == nullptr) return;
  game.sprite_erase_pending[*s] = true;
  auto& rect = game.sprite_restore_rect[*s];
  rect[1] = game.sprite_old_x[*s];
  rect[2] = game.sprite_old_y[*s];
  rect[3] = (*image)[3];
  rect[4] = (*image)[4];
}

void check_vertical(Saver& saver, double x) {
  const auto s = slot_number(x);
  if (!s) return;
  Game& game = saver.game;
  const ImageRow* image = image_of(game, *s);
  if (image == nullptr) return;
  int32_t& y = game.sprite_y[*s];
  if (y < 0) y = 0;
  const int32_t height = (*image)[4];
  if (y + height > saver.window.screen_height) y = saver.window.screen_height - height;
}

void setsprite_anim(Game& game, double x1, double x2) {
  const auto s = slot_number(x1);
  const int32_t animation = whole(x2);
  if (!s || animation < 0 || animation >= static_cast<int32_t>(game.anim_table.size())) return;
  game.sprite_anim[*s] = animation;
  game.sprite_anim_step[*s] = 0;
  game.sprite_image[*s] = game.anim_table[animation][1];
}

void sort_sprites(Game& game) {
  for (int j = 2; j <= last_slot(game); ++j) {
    int16_t& first = game.sprite_order[j - 1];
    int16_t& second = game.sprite_order[j];
    if (!valid_slot(first) || !valid_slot(second)) continue;
    const ImageRow* a = image_of(game, first);
    const ImageRow* b = image_of(game, second);
    if (a != nullptr && b != nullptr && (*a)[5] > (*b)[5]) std::swap(first, second);
  }
}

void sprites_clear(Saver& saver) {
  blit_old_sprites(saver);
  sprites_reset(saver.game);
}

void test_sprites(Saver& saver) {
  Runtime& runtime = saver.runtime;
  Game& game = saver.game;
  int32_t y = 0;
  for (int s = 1; s <= last_slot(game); ++s) {
    sprite_off(game, s);
    game.sprite_image[s] = random_whole(runtime, 19);
    if (random_chance_200(runtime) != 0) setsprite_anim(game, s, random_whole(runtime, 2));
    game.sprite_y[s] = y;
    game.sprite_x[s] = kTestColumnX;
    game.sprite_active[s] = 1;
    game.sprite_masked[s] = 1;
    const ImageRow* image = image_of(game, s);
    y = whole(y + (image != nullptr ? (*image)[4] : 0) / 2.0);
  }
}

void blit_sprites(Saver& saver) {
  if (saver.window.full_redraw_pending == 1) return;
  const Game& game = saver.game;
  PlayScreen& screen = saver.screen;
  for (int i = 1; i <= last_slot(game); ++i) {
    const int s = game.sprite_order[i];
    if (!valid_slot(s) || game.sprite_active[s] == 0) continue;
    const ImageRow* image = image_of(game, s);
    if (image == nullptr) continue;
    const int32_t sx = (*image)[1], sy = (*image)[2], w = (*image)[3], h = (*image)[4];
    const int32_t x = game.sprite_x[s], y = game.sprite_y[s];
    if (game.sprite_masked[s] != 0) bitblt(screen.ascreen, x, y, w, h, screen.mask, sx, sy, SRCAND);
    bitblt(screen.ascreen, x, y, w, h, screen.sprite, sx, sy, SRCPAINT);
  }
}

void handle_picture_rotation() {}

void stakko_dropdown() {}

}  // namespace quarlyn
