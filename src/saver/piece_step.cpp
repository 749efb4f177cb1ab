#include "saver/piece_step.h"

#include <array>

#include "saver/game_flow.h"
#include "saver/music_and_sound.h"
#include "saver/play_screen.h"
#include "saver/playfield.h"
#include "saver/robot_player.h"

namespace quarlyn {

namespace {

constexpr int kFallingPieceSlots = 16;
constexpr int kRotations = 4;
constexpr int16_t kRotationSound = 1;
constexpr int32_t kSoftDropPoints = 1;
constexpr int kHardDropBaseRow = 24;  // a hard drop scores 24 minus the row it starts from
constexpr int16_t kHeldKeyPause = -15;

// The keys in the order they are queried; a key later in a list beats the ones before it.
constexpr std::array<int, 6> kMainKeys{kKeyUp, kKeyRight, kKeyDown, kKeyLeft, kKeySpace, kKeyEsc};
constexpr std::array<int, 4> kLetterKeys{kKeyW, kKeyD, kKeyS, kKeyA};

bool falling_shape_has_cells(const Game& game) {
  return shape_has_cells(game, game.piece_kind, game.piece_rotation);
}

// Switches off the falling piece's sprites and wipes it from the visible well.
void take_piece_off_screen(Saver& saver) {
  for (int slot = 1; slot <= kFallingPieceSlots; ++slot) saver.game.sprite_active[slot] = 0;
  copy_background_onto_screen(saver.screen, {kWellX, 0, kWellWidth, kPlayHeight});
}

void land_piece(Saver& saver) {
  take_piece_off_screen(saver);
  stakko_storepiece(saver.game, saver.screen);
  stakko_redrawascreen(saver);
  stakko_checkrows(saver);
}

void rotate_piece(Saver& saver) {
  Game& game = saver.game;
  if (!stakko_rotation(game)) return;
  game.piece_rotation = static_cast<int16_t>((game.piece_rotation + 1) % kRotations);
  stakko_playsound(saver, kRotationSound);
}

// Applies `key_code`; false when the key was a hard drop, which ends the tick.
bool apply_key(Saver& saver) {
  Game& game = saver.game;
  switch (game.key_code) {
    case kKeyLeft:
    case kKeyA:
      if (stakko_moveleft(game)) game.piece_x = static_cast<int16_t>(game.piece_x - kCell);
      break;
    case kKeyRight:
    case kKeyD:
      if (stakko_moveright(game)) game.piece_x = static_cast<int16_t>(game.piece_x + kCell);
      break;
    case kKeyUp:
    case kKeyW:
      rotate_piece(saver);
      break;
    case kKeyDown:
    case kKeyS:
      game.drop_counter = static_cast<int16_t>(game.drop_delay + 1);  // fall in this very tick
      stakko_showscore(saver, kSoftDropPoints);
      break;
    case kKeySpace:
      game.key_code = 0;
      stakko_showscore(saver, kHardDropBaseRow - cell_of(game.piece_y));
      stakko_drop(saver);
      return false;
    default:
      break;
  }
  game.key_code = 0;
  return true;
}

void apply_gravity(Saver& saver) {
  Game& game = saver.game;
  ++game.drop_counter;
  if (game.drop_counter < game.drop_delay) return;
  game.drop_counter = 0;
  if (stakko_movedown(game)) {
    game.piece_y = static_cast<int16_t>(game.piece_y + kCell);
    return;
  }
  land_piece(saver);
}

int held_key(Runtime& runtime) {
  int hit = 0;
  for (int key : kMainKeys)
    if (runtime.key_down(key)) hit = key;
  if (hit != 0) return hit;
  for (int key : kLetterKeys)
    if (runtime.key_down(key)) hit = key;
  return hit;
}

}  // namespace

void stakko_movepiece(Saver& saver) {
  Game& game = saver.game;
  if (stakko_gameovercheck(game)) {
    stakko_dogameover(saver);
    return;
  }
  // A shape without cells never meets the floor and would fall for ever: it lands at once.
  if (!falling_shape_has_cells(game)) {
    land_piece(saver);
    return;
  }
  if (game.key_code == 0) game.key_code = get_keyboard(saver);
  if (saver.flags.robot_playing == 1) stakko_robomove(saver);
  if (game.key_code >= 1 && !apply_key(saver)) return;
  apply_gravity(saver);
}

void stakko_drop(Saver& saver) {
  Game& game = saver.game;
  if (stakko_gameovercheck(game)) {
    stakko_dogameover(saver);
    return;
  }
  // A shape without cells would fall for ever; it lands where it is.
  if (falling_shape_has_cells(game))
    while (stakko_movedown(game)) game.piece_y = static_cast<int16_t>(game.piece_y + kCell);
  take_piece_off_screen(saver);
  stakko_storepiece(game, saver.screen);
  stakko_checkrows(saver);
}

int32_t get_keyboard(Saver& saver) {
  Game& game = saver.game;
  const int hit = held_key(saver.runtime);
  game.key_code = 0;
  if (hit != game.last_key) {
    game.last_key = static_cast<int16_t>(hit);
    game.key_repeating = 0;
    game.key_code = hit;
    game.key_delay_count = 0;
    game.key_repeat_count = 0;
  } else if (game.key_repeating != 1) {
    if (++game.key_delay_count > game.key_delay) game.key_repeating = 1;  // no key on this poll
  } else if (++game.key_repeat_count > game.key_repeat_rate) {
    game.key_repeat_count = 0;
    game.key_code = hit;
  }
  return game.key_code;
}

void stakko_clearkey(Game& game) {
  game.key_repeat_count = kHeldKeyPause;
  game.key_code = 0;
}

}  // namespace quarlyn
