#include "saver/sprite_compositor.h"

namespace quarlyn {

namespace {

constexpr int kPieceSlots = 16;

bool whole_strip_mode(const Saver& saver) { return saver.settings.screen_blit == -1; }

void copy_well_strip(Surface& to, const Surface& from) {
  bitblt(to, kWellX, 0, kWellWidth, kPlayHeight, from, kWellX, 0, SRCCOPY);
}

// The span covering a sprite's old and new place along one axis, cut to `limit` beyond the
// image's own size.
void union_span(int32_t old_pos, int32_t pos, int32_t size, int32_t limit, int32_t& start, int32_t& length) {
  start = pos;
  length = size;
  if (old_pos < pos) {
    start = old_pos;
    length = pos - old_pos + 1 + size;
  } else if (old_pos > pos) {
    length = old_pos - pos + 1 + size;
  }
  if (length > size + limit) length = size + limit;
}

void copy_slot_area(Saver& saver, int slot, int32_t limit) {
  const Game& game = saver.game;
  const auto& image = game.sprite_table[game.sprite_image[slot]];
  int32_t left = 0, width = 0, top = 0, height = 0;
  union_span(game.sprite_old_x[slot], game.sprite_x[slot], image[3], limit, left, width);
  union_span(game.sprite_old_y[slot], game.sprite_y[slot], image[4], limit, top, height);
  bitblt(saver.screen.ascreen, left, top, width, height, saver.screen.background_work, left, top, SRCCOPY);
}

}  // namespace

void init_sprites(Saver& saver) {
  Game& game = saver.game;
  game.key_code = 0;
  MessageLine& line = saver.message_line;
  line.scroller_index = 0;
  line.scroller_wait = line.scroller_gap;
  line.scroller_state = 0;
  init_motion_tables(game, saver.window.screen_width);
  game.sprite_table = {};
  game.sprite_table[0][5] = -1;
  for (int r = 0; r < 10; ++r) {
    for (int c = 0; c < 10; ++c) game.sprite_table[10 * r + c + 1] = {0, 20 * c, 20 * r, 20, 20, 0};
  }
  for (int c = 0; c < 10; ++c) game.sprite_table[101 + c] = {0, 20 * (c + 1), 200, 20, 20, 0};
  game.sprite_count = kPieceSlots;
  sprites_reset(game);
  for (int slot = 1; slot <= kPieceSlots; ++slot) {
    game.sprite_order[slot] = static_cast<int16_t>(slot);
    game.sprite_masked[slot] = 0;
  }
}

void init_motion_tables(Game& game, int32_t screen_width) {
  for (int i = 1; i <= 20; ++i) game.motion_step_x[i] = screen_width / (2600.0 - 100 * i);
}

void sprites_reset(Game& game) {
  for (int slot = 1; slot <= game.sprite_count; ++slot) sprite_off(game, slot);
  for (int type = 1; type <= 12; ++type) game.sprite_type_count[type] = 0;
}

void sprite_off(Game& game, int slot, bool keep_type_count) {
  game.sprite_image[slot] = 0;
  game.sprite_active[slot] = 0;
  game.sprite_anim[slot] = 0;
  game.sprite_anim_step[slot] = 0;
  game.sprite_motion[slot] = 0;
  game.sprite_dx2[slot] = 0;
  game.sprite_dy2[slot] = 0;
  game.sprite_masked[slot] = 1;
  if (keep_type_count) return;
  int16_t& live = game.sprite_type_count[game.sprite_type[slot]];
  live = static_cast<int16_t>(live - 1);
  if (live < 1) live = 0;
}

void stakko_drawpiece(Game& game) {
  if (game.piece_kind < 0 || game.piece_kind > kMaxKinds) return;
  const auto& shape = game.piece_shapes[game.piece_kind];
  int n = 0;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      if (shape[game.piece_rotation * 16 + row * 4 + column] != 1) continue;
      ++n;
      game.sprite_x[n] = game.piece_x + kCell * column;
      game.sprite_y[n] = game.piece_y + kCell * row;
      game.sprite_active[n] = 1;
      game.sprite_image[n] = game.piece_image;
    }
  }
}

void blit_old_sprites(Saver& saver) {
  if (whole_strip_mode(saver)) {
    copy_well_strip(saver.screen.background_work, saver.screen.background_main);
    return;
  }
  Game& game = saver.game;
  for (int i = 1; i <= game.sprite_count; ++i) {
    const int s = game.sprite_order[i];
    if (game.sprite_active[s] == 0) continue;
    const auto& image = game.sprite_table[game.sprite_image[s]];
    bitblt(saver.screen.background_work, game.sprite_x[s], game.sprite_y[s], image[3], image[4],
           saver.screen.background_copy, game.sprite_x[s], game.sprite_y[s], SRCCOPY);
    game.sprite_old_x[s] = game.sprite_x[s];
    game.sprite_old_y[s] = game.sprite_y[s];
  }
}

void blit_new_sprites(Saver& saver) {
  if (saver.window.full_redraw_pending == 1) return;
  const Game& game = saver.game;
  PlayScreen& screen = saver.screen;
  for (int i = 1; i <= game.sprite_count; ++i) {
    const int s = game.sprite_order[i];
    if (game.sprite_active[s] == 0) continue;
    const auto& image = game.sprite_table[game.sprite_image[s]];
    const int32_t x = game.sprite_x[s], y = game.sprite_y[s];
    if (game.sprite_masked[s] != 0) {
      bitblt(screen.background_work, x, y, image[3], image[4], screen.mask, image[1], image[2], SRCAND);
      bitblt(screen.background_work, x, y, image[3], image[4], screen.sprite, image[1], image[2], SRCPAINT);
    } else {
      bitblt(screen.background_work, x, y, image[3], image[4], screen.sprite, image[1], image[2], SRCCOPY);
    }
  }
}

void blit_flicker_free(Saver& saver) {
  if (whole_strip_mode(saver)) {
    copy_well_strip(saver.screen.ascreen, saver.screen.background_work);
    return;
  }
  Game& game = saver.game;
  for (int i = 1; i <= game.sprite_count; ++i) {
    const int s = game.sprite_order[i];
    if (game.sprite_active[s] != 0) {
      copy_slot_area(saver, s, 100);
    } else if (game.sprite_erase_pending[s]) {
      game.sprite_erase_pending[s] = false;
      copy_slot_area(saver, s, 50);
    }
  }
}

}  // namespace quarlyn
