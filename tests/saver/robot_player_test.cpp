#include "saver/robot_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "saver/piece_step.h"
#include "saver/playfield.h"
#include "saver/rule_core_fixture.h"

namespace quarlyn {
namespace {

using namespace testing::rules;

// Kinds of data/objects.txt.
constexpr int kI = 1;
constexpr int kT = 3;
// Test-only kinds above the file's ten.
constexpr int kLateBar = 11;  // a horizontal bar in rotations 0..2, upright in box column 1 at 3
constexpr int kHollow = 12;   // rotation 2 has no cell

class RobotTest : public RuleCoreTest {
 protected:
  RobotTest() {
    load_real_shapes();
    for (int rotation = 0; rotation < 3; ++rotation) draw_shape(game(), kLateBar, rotation, {"....", "XXXX", "....", "...."});
    draw_shape(game(), kLateBar, 3, {".X..", ".X..", ".X..", ".X.."});
    draw_all_rotations(game(), kHollow, {"....", ".XX.", "....", "...."});
    draw_shape(game(), kHollow, 2, {"....", "....", "....", "...."});
    flags.robot_playing = 1;
    game().drop_delay = 30000;
    game().next_image = 1;
  }

  // Rows 20..23 full except the right-hand well column: only an upright bar reaches the floor.
  void one_deep_column() {
    for (int row = 20; row <= 23; ++row) fill_row(game(), row, 6, {kWellRightColumn});
  }

  // Plays ticks until the robot has found its column; false when it never does.
  bool steer_into_position() {
    for (int tick = 0; tick < 40 && game().robot_in_position == 0; ++tick) stakko_movepiece(saver);
    return game().robot_in_position == 1;
  }
};

TEST_F(RobotTest, OnAnEmptyWellEveryKindGoesLeftmostInRotationZero) {
  for (int kind = 1; kind <= 10; ++kind) {
    clear_field(game());
    game().next_kind = static_cast<int16_t>(kind);
    spawn_piece(game());
    ASSERT_TRUE(steer_into_position()) << kind;
    int first_column = 4;
    for (int cell = 0; cell < 16; ++cell)
      if (box_cell_filled(game(), kind, 0, cell)) first_column = std::min(first_column, cell % 4);
    EXPECT_EQ(game().piece_rotation, 0) << kind;
    EXPECT_EQ(game().piece_x, 220 - 20 * first_column) << kind;
  }
}

TEST_F(RobotTest, ItTakesTheOneDeepColumnAndLeavesThePieceInPlaceWhileSearching) {
  one_deep_column();
  game().next_kind = kI;
  spawn_piece(game());
  const auto field = game().field_cells;
  stakko_robomove(saver);
  EXPECT_EQ(game().key_code, kKeyRight);
  EXPECT_EQ(game().piece_x, 280);
  EXPECT_EQ(game().piece_y, -20);
  EXPECT_EQ(game().piece_rotation, 1);  // one step toward the target
  EXPECT_EQ(game().robot_in_position, 0);
  EXPECT_EQ(game().field_cells, field);

  ASSERT_TRUE(steer_into_position());
  EXPECT_EQ(game().piece_rotation, 1);  // rotations 1 and 3 both reach the floor: the lower wins
  EXPECT_EQ(game().piece_x, 360);
  for (int tick = 0; tick < 40 && game().game_state == kPieceFalling; ++tick) stakko_movepiece(saver);
  EXPECT_EQ(game().game_state, kRowsFlashing);
  EXPECT_EQ(game().full_row_count, 4);
}

TEST_F(RobotTest, ItTurnsOneStepPerTickAndOnlyWhenTheTurnFits) {
  one_deep_column();
  place_piece(game(), kLateBar, 280, -20);
  for (int16_t expected : {1, 2}) {
    game().key_code = 0;
    stakko_robomove(saver);
    EXPECT_EQ(game().piece_rotation, expected);
    EXPECT_EQ(game().key_code, kKeyRight);
  }
  EXPECT_EQ(rotation_sounds(), 2);
  set_cell(game(), 2, 15, 9);  // in the way of the upright bar
  stakko_robomove(saver);
  EXPECT_EQ(game().piece_rotation, 2);
  EXPECT_EQ(rotation_sounds(), 2) << "a refused turn plays no sound";
  set_cell(game(), 2, 15, 0);
  stakko_robomove(saver);
  EXPECT_EQ(game().piece_rotation, 3);
  EXPECT_EQ(rotation_sounds(), 3);
  stakko_robomove(saver);
  EXPECT_EQ(game().piece_rotation, 3);
  EXPECT_EQ(game().piece_x, 280);
}

TEST_F(RobotTest, InPositionItMayTurnOnceThenOnlyPressesDown) {
  place_piece(game(), kT, 220, -20, 3);
  stakko_robomove(saver);
  EXPECT_EQ(game().robot_in_position, 1);
  EXPECT_EQ(game().piece_rotation, 0);
  EXPECT_EQ(game().key_code, 0);

  game().piece_rotation = 2;
  game().piece_x = 300;
  stakko_robomove(saver);
  EXPECT_EQ(game().key_code, kKeyDown);
  EXPECT_EQ(game().piece_rotation, 2);
  EXPECT_EQ(game().piece_x, 300);

  // Down in every tick: one row and one point per tick.
  const int16_t y = game().piece_y;
  const int32_t score = game().game_score;
  stakko_movepiece(saver);
  EXPECT_EQ(game().piece_y, y + 20);
  EXPECT_EQ(game().game_score, score + 1);
}

TEST_F(RobotTest, ItLeavesAPieceWithAnEmptyRotationAlone) {
  for (int kind : {0, kHollow, 40}) {
    place_piece(game(), kind, 280, -20);
    game().key_code = 0;
    stakko_robomove(saver);
    EXPECT_EQ(game().key_code, 0) << kind;
    EXPECT_EQ(game().robot_in_position, 0) << kind;
    EXPECT_EQ(game().piece_rotation, 0) << kind;
  }
}

// Only well cells hold anything, and only block or obstacle images; no full row is left.
::testing::AssertionResult field_consistent(const Game& game, bool after_collapse) {
  for (int index = 0; index < static_cast<int>(game.field_cells.size()); ++index) {
    const int column = index % 32;
    const bool in_well = index < 24 * 32 && column >= kWellLeftColumn && column <= kWellRightColumn;
    const int16_t value = game.field_cells[index];
    if (value < 0 || value > 103 || (!in_well && value != 0))
      return ::testing::AssertionFailure() << "cell " << index << " holds " << value;
  }
  for (int row = 0; row < 24 && after_collapse; ++row) {
    int filled = 0;
    for (int column = kWellLeftColumn; column <= kWellRightColumn; ++column) filled += game.field_cells[row * 32 + column] > 0;
    if (filled == 10) return ::testing::AssertionFailure() << "row " << row << " is still full";
  }
  return ::testing::AssertionSuccess();
}

// Plays the rule core as the game flow would: after a clear the rows go and the next piece
// comes; a lost game starts over with some obstacles. Every kind of the file takes part.
TEST_F(RobotTest, ItPlaysThousandsOfPiecesWithoutHangingOrBreakingTheField) {
  saver.screen = PlayScreen{};  // nothing to draw on: the rules alone
  game().drop_delay = 3;
  std::mt19937 random{20240611};
  const auto draw = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  const auto new_game = [&] {
    clear_field(game());
    for (int block = 0; block < 30; ++block)
      set_cell(game(), draw(17, 23), draw(kWellLeftColumn, kWellRightColumn), static_cast<int16_t>(draw(101, 103)));
    make_next_piece(saver);
    spawn_piece(game());
    make_next_piece(saver);
    game().game_state = kPieceFalling;
  };
  new_game();
  int pieces = 0;
  int games = 1;
  int rows = 0;
  for (int tick = 0; tick < 2'000'000 && pieces < 5000; ++tick) {
    stakko_movepiece(saver);
    const bool cleared = game().game_state == kRowsFlashing;
    if (cleared) {
      rows += game().full_row_count;
      stakko_scrolldown(game(), saver.screen);
      spawn_piece(game());
      make_next_piece(saver);
      stakko_clearkey(game());
      game().game_state = kPieceFalling;
    }
    if (game().game_state == kGameOverFill) {
      ++games;
      new_game();
    }
    if (game().drop_counter == -20) {  // a new piece has come
      ++pieces;
      game().next_kind = static_cast<int16_t>(draw(1, 10));
    }
    ASSERT_TRUE(field_consistent(game(), cleared)) << "tick " << tick;
  }
  EXPECT_EQ(pieces, 5000);
  EXPECT_GT(games, 1);
  EXPECT_GT(rows, 300);
}

}  // namespace
}  // namespace quarlyn
