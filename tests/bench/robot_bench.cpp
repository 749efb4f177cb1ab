// The robot's per-tick cost: its full search (four rotations, every reachable column, a drop
// in each) on a half-filled well, and one whole piece step with the robot steering.
#include <benchmark/benchmark.h>

#include "platform/test/test_runtime.h"
#include "saver/piece_step.h"
#include "saver/piece_supply.h"
#include "saver/playfield.h"
#include "saver/robot_player.h"

namespace quarlyn {
namespace {

// A saver with the real shapes, a T piece at the top and rows 12..23 filled with a few holes.
struct HalfFilledWell {
  HalfFilledWell() {
    settings.install_path = QUARLYN_DATA_DIR;
    load_piece_shapes(saver.game, settings);
    init_speed_table(saver.game);
    for (int row = 12; row < 24; ++row)
      for (int column = kWellLeftColumn; column <= kWellRightColumn; ++column)
        if ((row * 7 + column * 3) % 5 != 0) saver.game.field_cells[row * kFieldColumns + column] = 1;
    flags.robot_playing = 1;
    saver.game.drop_delay = 30000;
    saver.game.next_kind = 3;
    saver.game.next_image = 1;
    spawn_piece(saver.game);
  }

  // Back to the top and not yet in position, so every tick runs the whole search.
  void reset_piece() {
    Game& game = saver.game;
    game.piece_x = kSpawnX;
    game.piece_y = kSpawnY;
    game.piece_rotation = 0;
    game.robot_in_position = 0;
    game.key_code = 0;
    game.drop_counter = 0;
  }

  TestRuntime rt;
  Settings settings;
  RunFlags flags;
  Saver saver{rt, settings, flags};
};

void BM_RobotTick(benchmark::State& state) {
  HalfFilledWell well;
  for (auto _ : state) {
    well.reset_piece();
    stakko_robomove(well.saver);
    benchmark::DoNotOptimize(well.saver.game.key_code);
  }
}
BENCHMARK(BM_RobotTick)->Unit(benchmark::kMicrosecond);

void BM_PieceStep(benchmark::State& state) {
  HalfFilledWell well;
  for (auto _ : state) {
    well.reset_piece();
    stakko_movepiece(well.saver);
    benchmark::DoNotOptimize(well.saver.game.piece_x);
  }
}
BENCHMARK(BM_PieceStep)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quarlyn
