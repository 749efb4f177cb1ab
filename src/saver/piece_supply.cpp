#include "saver/piece_supply.h"

#include <cmath>
#include <string>
#include <vector>

#include "platform/field_reader.h"
#include "saver/playfield.h"
#include "startup/shell_services.h"

namespace quarlyn {

namespace {

constexpr int kBoxCells = 16;
constexpr int kRotations = 4;
constexpr int kClassicKinds = 7;
constexpr int kExpertKinds = 10;
constexpr int16_t kExpertPieceType = 2;
constexpr int16_t kFixedOrderGame = 2;
constexpr int kImagesPerLevel = 10;
constexpr int kLastLevelOfOwnImages = 10;
constexpr int kBlockImages = 100;
constexpr Rect kNextBox{460, 60, 120, 140};
constexpr int kPreviewX = 480;
constexpr int kPreviewY = 104;

bool read_rotation(FieldReader& reader, Game& game, int kind, int rotation) {
  for (int cell = 0; cell < kBoxCells; ++cell) {
    int16_t value = 0;
    if (!reader.read_int16(value)) return false;
    game.piece_shapes[kind][rotation * kBoxCells + cell] = value;
  }
  std::string separator;
  return reader.read_text(separator);
}

bool read_kinds(FieldReader& reader, Game& game) {
  const int count = game.piece_kind_count;
  for (int kind = 1; kind <= count; ++kind) {
    if (kind > kMaxKinds) return false;  // the table holds kinds 1..20; the first 20 stay
    for (int rotation = 0; rotation < kRotations; ++rotation)
      if (!read_rotation(reader, game, kind, rotation)) return false;
  }
  return true;
}

// Int(range * draw + 1): a whole number from 1 to `range`.
int16_t draw_from_one(Runtime& runtime, int range) {
  return static_cast<int16_t>(std::floor(range * runtime.rnd() + 1));
}

// The kinds from 1 to `last` that have a shape.
std::vector<int16_t> kinds_with_shape(const Game& game, int last) {
  std::vector<int16_t> kinds;
  for (int kind = 1; kind <= last; ++kind)
    if (kind_has_shape(game, kind)) kinds.push_back(static_cast<int16_t>(kind));
  return kinds;
}

// A kind without a shape (a short or missing objects.txt, a pieces.dat entry naming no kind)
// would fall for ever: a random kind of the player's set that has one takes its place, or of
// the whole table when the set has none. With no shape at all the kind stays; no game starts
// then (see init_the_game).
void replace_kind_without_shape(Saver& saver, int set_size) {
  Game& game = saver.game;
  if (kind_has_shape(game, game.next_kind)) return;
  std::vector<int16_t> kinds = kinds_with_shape(game, set_size);
  if (kinds.empty()) kinds = kinds_with_shape(game, kMaxKinds);
  if (kinds.empty()) return;
  game.next_kind = kinds[draw_from_one(saver.runtime, static_cast<int>(kinds.size())) - 1];
}

void choose_kind(Saver& saver) {
  Game& game = saver.game;
  const bool person_plays = saver.flags.robot_playing == 0;
  const int set_size = saver.settings.piece_type == kExpertPieceType && person_plays ? kExpertKinds : kClassicKinds;
  game.next_kind = draw_from_one(saver.runtime, set_size);
  if (saver.settings.game_difficulty == kFixedOrderGame && person_plays) {
    // Wraps after the last entry; a position below 1 can only be a stale one and starts over too.
    ++game.piece_sequence_pos;
    if (game.piece_sequence_pos > kSequenceLength || game.piece_sequence_pos < 1) game.piece_sequence_pos = 1;
    game.next_kind = game.piece_sequence[game.piece_sequence_pos];
  }
  replace_kind_without_shape(saver, set_size);
}

void choose_image(Saver& saver) {
  Game& game = saver.game;
  if (game.game_level <= kLastLevelOfOwnImages) {
    const int first = (game.game_level - 1) * kImagesPerLevel;
    game.next_image = static_cast<int16_t>(first + draw_from_one(saver.runtime, kImagesPerLevel));
  } else {
    game.next_image = draw_from_one(saver.runtime, kBlockImages);
  }
}

void draw_next_box(Saver& saver) {
  PlayScreen& screen = saver.screen;
  const Game& game = saver.game;
  for (Surface* target : {&screen.ascreen, &screen.background_main, &screen.background_copy})
    bitblt(*target, kNextBox.left, kNextBox.top, kNextBox.width, kNextBox.height, screen.next_box, 0, 0, SRCCOPY);
  for (int cell = 0; cell < kBoxCells; ++cell) {
    if (!box_cell_filled(game, game.next_kind, 0, cell)) continue;
    const int x = kPreviewX + kCell * (cell % 4);
    const int y = kPreviewY + kCell * (cell / 4);
    for (Surface* target : {&screen.ascreen, &screen.background_main, &screen.background_copy})
      copy_block(*target, x, y, game, screen.sprite, game.next_image);
  }
}

}  // namespace

bool load_piece_shapes(Game& game, const Settings& settings) {
  const std::string path = settings.install_path + "objects.txt";
  if (!file_exists(path)) return false;
  std::optional<FieldReader> reader = FieldReader::open(path);
  if (!reader) return false;
  std::string title;
  if (!reader->read_text(title) || !reader->read_int16(game.piece_kind_count)) return false;
  return read_kinds(*reader, game);
}

void load_piece_sequence(Game& game, const Settings& settings) {
  std::optional<FieldReader> reader = FieldReader::open(settings.install_path + "pieces.dat");
  if (!reader) return;
  for (int i = 1; i <= kSequenceLength; ++i)
    if (!reader->read_int16(game.piece_sequence[i])) return;
}

void make_next_piece(Saver& saver) {
  saver.runtime.randomize();
  choose_kind(saver);
  choose_image(saver);
  draw_next_box(saver);
}

void init_speed_table(Game& game) {
  static constexpr std::array<int16_t, kLevels> kFramesPerRow{31, 27, 23, 19, 15, 11, 9, 7, 5, 3,
                                                              31, 27, 23, 19, 15, 11, 7, 4, 2, 1};
  for (int level = 1; level <= kLevels; ++level) game.drop_delays[level] = kFramesPerRow[level - 1];
}

}  // namespace quarlyn
