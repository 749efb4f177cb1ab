// The cost of one frame's work of the saver (erase, game step, draw, copy to the screen), with
// the robot playing on the test runtime.
#include <benchmark/benchmark.h>

#include "platform/test/test_runtime.h"
#include "saver/game_flow.h"
#include "saver/sprite_compositor.h"
#include "startup/settings.h"
#include "support/store_helpers.h"

namespace quarlyn {
namespace {

void BM_SaverFrame(benchmark::State& state) {
  TestRuntime runtime;
  testing::store_keys(runtime.settings_store(), {{"install_path", QUARLYN_DATA_DIR}});
  Settings settings;
  load_settings(runtime, settings);
  RunFlags flags;
  flags.robot_playing = 1;
  auto saver = std::make_unique<Saver>(runtime, settings, flags);
  for (Surface* s : {&saver->screen.ascreen, &saver->screen.background_main, &saver->screen.background_copy,
                     &saver->screen.background_work})
    *s = Surface(640, 480);
  saver->screen.sprite = Surface(200, 220, rgb(200, 100, 50));
  init_the_game(*saver);
  for (auto _ : state) {
    blit_old_sprites(*saver);
    move_sprites(*saver);
    blit_new_sprites(*saver);
    blit_flicker_free(*saver);
  }
}
BENCHMARK(BM_SaverFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quarlyn
