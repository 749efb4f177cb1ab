// A saver game on the test runtime, with small generated pictures whose pixels tell where they
// came from: block image n of the sheet is the solid colour `block_colour(n)`.
#pragma once

#include <algorithm>
#include <memory>

#include "platform/test/test_runtime.h"
#include "saver/saver_context.h"
#include "saver/sprite_compositor.h"
#include "support/store_helpers.h"

namespace quarlyn::testing {

constexpr Pixel block_colour(int image) { return rgb(10, static_cast<uint8_t>(image), 200); }
constexpr Pixel kEmptyRowColour = rgb(1, 2, 3);
constexpr Pixel kWellColour = rgb(4, 5, 6);
constexpr Pixel kBonusColour = rgb(200, 0, 0);
constexpr Pixel kGameOverColour = rgb(90, 90, 90);

inline Surface block_sheet() {
  Surface sheet(200, 220);
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < 10; ++c) sheet.fill({20 * c, 20 * r, 20, 20}, block_colour(10 * r + c + 1));
  sheet.fill({0, 200, 20, 20}, rgb(77, 77, 77));  // the game-over fill block
  for (int c = 1; c < 10; ++c) sheet.fill({20 * c, 200, 20, 20}, block_colour(100 + c));
  return sheet;
}

// Pictures of the right sizes, each in its own colour; the bonus strips differ by row.
inline void give_pictures(PlayScreen& screen) {
  screen.sprite = block_sheet();
  screen.stakko_grid = Surface(210, 480, kWellColour);
  screen.stakko_grid.fill({5, 0, 200, 20}, kEmptyRowColour);
  screen.next_box = Surface(120, 140, rgb(20, 20, 20));
  screen.score_box = Surface(140, 200, rgb(30, 30, 30));
  screen.numbers = Surface(200, 25);
  for (int d = 0; d < 10; ++d) screen.numbers.fill({20 * d, 0, 20, 25}, rgb(250, static_cast<uint8_t>(d), 0));
  screen.bonus = Surface(200, 80);
  for (int k = 0; k < 4; ++k) screen.bonus.fill({0, 20 * k, 200, 20}, kBonusColour + static_cast<Pixel>(k));
  screen.game_over = Surface(160, 200, kGameOverColour);
  screen.picture_background = Surface(64, 48, rgb(0, 60, 120));
  for (Surface* s : {&screen.ascreen, &screen.background_main, &screen.background_copy, &screen.background_work})
    *s = Surface(640, 480);
}

inline bool same_pixels(const Surface& a, const Surface& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  for (int y = 0; y < a.height(); ++y)
    if (!std::equal(a.row(y), a.row(y) + a.width(), b.row(y))) return false;
  return true;
}

// A saver with the program folder set to the repository's data files and test pictures.
struct SaverHarness {
  SaverHarness() {
    store_keys(runtime.settings_store(), {{"install_path", QUARLYN_DATA_DIR}});
    load_settings(runtime, settings);
    give_pictures(saver.screen);
    init_sprites(saver);
  }
  TestRuntime runtime;
  Settings settings;
  RunFlags flags;
  Saver saver{runtime, settings, flags};
};

}  // namespace quarlyn::testing
