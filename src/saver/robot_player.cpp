#include "saver/robot_player.h"

#include <array>

#include "saver/music_and_sound.h"
#include "saver/playfield.h"

namespace quarlyn {

namespace {

constexpr int kRotations = 4;
constexpr int kNoLanding = -80;  // above every landing height, which is never above y = -20
constexpr int16_t kRotationSound = 1;

// The deepest placement found: the box x of its column and the pixel y of its lowest row.
struct Placement {
  int column_x = 0;
  int landing_y = kNoLanding;
};

struct Target {
  int16_t rotation = 0;
  int column_x = 0;
};

// Drops the piece straight down from `start_y` and returns the height its lowest row lands at.
int landing_height(Game& game, int16_t start_y) {
  game.piece_y = start_y;
  while (stakko_movedown(game)) game.piece_y = static_cast<int16_t>(game.piece_y + kCell);
  return game.piece_bottom_y;
}

// The deepest column of one rotation between the points where a sideways slide from the
// current place stops. Moves the piece; the caller puts it back.
Placement deepest_column(Game& game, int16_t rotation, int16_t start_x, int16_t start_y) {
  game.piece_rotation = rotation;  // set without a test: the slide and drops show where it fits
  game.piece_x = start_x;
  while (stakko_moveleft(game)) game.piece_x = static_cast<int16_t>(game.piece_x - kCell);
  const int16_t left = game.piece_x;
  while (stakko_moveright(game)) game.piece_x = static_cast<int16_t>(game.piece_x + kCell);
  const int16_t right = game.piece_x;
  Placement best{left, kNoLanding};
  for (int x = left; x <= right; x += kCell) {
    game.piece_x = static_cast<int16_t>(x);
    const int height = landing_height(game, start_y);
    if (height > best.landing_y) best = Placement{x, height};  // ties keep the left column
  }
  return best;
}

Target choose_target(Game& game) {
  const int16_t start_x = game.piece_x;
  const int16_t start_y = game.piece_y;
  const int16_t start_rotation = game.piece_rotation;
  std::array<Placement, kRotations> candidates{};
  for (int rotation = 0; rotation < kRotations; ++rotation) {
    candidates[rotation] = deepest_column(game, static_cast<int16_t>(rotation), start_x, start_y);
    game.piece_x = start_x;
    game.piece_y = start_y;
    game.piece_rotation = start_rotation;
  }
  Target target{0, candidates[0].column_x};
  int best = kNoLanding;
  for (int rotation = 0; rotation < kRotations; ++rotation) {
    if (candidates[rotation].landing_y <= best) continue;  // ties keep the lower rotation
    best = candidates[rotation].landing_y;
    target = Target{static_cast<int16_t>(rotation), candidates[rotation].column_x};
  }
  return target;
}

}  // namespace

void stakko_robomove(Saver& saver) {
  Game& game = saver.game;
  if (game.robot_in_position == 1) {
    game.key_code = kKeyDown;
    return;
  }
  // A rotation without cells never meets a wall or the floor, so its slide and drops would not
  // end: the robot leaves such a piece alone.
  if (!kind_has_shape(game, game.piece_kind)) return;
  const Target target = choose_target(game);
  if (game.piece_x < target.column_x) game.key_code = kKeyRight;
  if (game.piece_x > target.column_x) game.key_code = kKeyLeft;
  if (game.piece_rotation != target.rotation && stakko_rotation(game)) {
    game.piece_rotation = static_cast<int16_t>((game.piece_rotation + 1) % kRotations);
    stakko_playsound(saver, kRotationSound);
  }
  if (game.piece_x == target.column_x) game.robot_in_position = 1;
}

}  // namespace quarlyn
