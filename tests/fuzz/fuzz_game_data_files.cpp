// Arbitrary bytes as the piece shapes and as the piece sequence: reading them must stay inside
// the tables, and a game on whatever was read must keep stepping (no hang, no crash).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "platform/test/test_runtime.h"
#include "saver/piece_step.h"
#include "saver/piece_supply.h"
#include "saver/playfield.h"
#include "saver/sprite_compositor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quarlyn::TestRuntime runtime;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (const char* name : {"objects.txt", "pieces.dat"}) std::ofstream(runtime.folder() / name, std::ios::binary) << bytes;
  auto settings = std::make_unique<quarlyn::Settings>();
  settings->install_path = runtime.folder().string() + "/";
  settings->game_difficulty = 2;
  quarlyn::RunFlags flags;
  flags.robot_playing = size % 2;
  auto saver = std::make_unique<quarlyn::Saver>(runtime, *settings, flags);
  quarlyn::Game& game = saver->game;
  quarlyn::load_piece_shapes(game, *settings);
  quarlyn::load_piece_sequence(game, *settings);
  quarlyn::init_speed_table(game);
  quarlyn::init_sprites(*saver);
  quarlyn::make_next_piece(*saver);
  quarlyn::spawn_piece(game);
  game.drop_delay = 1;
  for (int tick = 0; tick < 200 && game.game_state != quarlyn::kGameOverFill; ++tick) {
    game.game_state = quarlyn::kPieceFalling;
    quarlyn::stakko_movepiece(*saver);
  }
  return 0;
}
