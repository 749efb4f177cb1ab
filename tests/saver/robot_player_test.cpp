#include "saver/robot_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "saver/game_flow.h"
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

TEST_F(RobotTest, TheSearchLeavesThePieceWhereItWasAndTurnsOneStep) {
  one_deep_column();
  game().next_kind = kI;
  spawn_piece(game());
  const auto field = game().field_cells;
  stakko_robomove(saver);
  EXPECT_EQ(game().key_code, kKeyRight);
  EXPECT_EQ(game().piece_x, 280);
  EXPECT_EQ(game().piece_y, -20);
  EXPECT_EQ(game().piece_rotation, 1);
  EXPECT_EQ(game().robot_in_position, 0);
  EXPECT_EQ(game().field_cells, field);
}

TEST_F(RobotTest, ItTakesTheOneDeepColumnAndClearsFourRows) {
  one_deep_column();
  game().next_kind = kI;
  spawn_piece(game());
  ASSERT_TRUE(steer_into_position());
  // Rotations 1 and 3 both reach the floor; the lower rotation wins the tie.
  EXPECT_EQ(game().piece_rotation, 1);
  EXPECT_EQ(game().piece_x, 360);
  for (int tick = 0; tick < 40 && game().game_state == kPieceFalling; ++tick) stakko_movepiece(saver);
  EXPECT_EQ(game().game_state, kRowsFlashing);
  EXPECT_EQ(game().full_row_count, 4);
  EXPECT_EQ(game().bonus_clear, 1);
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
  set_cell(game(), 2, 15, 9);  // in the way of the upright bar
  stakko_robomove(saver);
  EXPECT_EQ(game().piece_rotation, 2);
  set_cell(game(), 2, 15, 0);
  stakko_robomove(saver);
  EXPECT_EQ(game().piece_rotation, 3);
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

// Only well cells hold anything, and only block or obstacle images.
::testing::AssertionResult field_consistent(const Game& game) {
  for (int index = 0; index < static_cast<int>(game.field_cells.size()); ++index) {
    const int16_t value = game.field_cells[index];
    const int row = index / 32;
    const int column = index % 32;
    const bool in_well = row < 24 && column >= kWellLeftColumn && column <= kWellRightColumn;
    if (value < 0 || value > 103 || (!in_well && value != 0))
      return ::testing::AssertionFailure() << "cell " << index << " holds " << value;
  }
  return ::testing::AssertionSuccess();
}

bool any_full_row(const Game& game) {
  for (int row = 0; row < 24; ++row) {
    int filled = 0;
    for (int column = kWellLeftColumn; column <= kWellRightColumn; ++column) filled += game.field_cells[row * 32 + column] > 0;
    if (filled == 10) return true;
  }
  return false;
}

class RobotSoakTest : public RobotTest {
 protected:
  void new_game() {
    clear_field(game());
    std::uniform_int_distribution<int> column(kWellLeftColumn, kWellRightColumn);
    std::uniform_int_distribution<int> row(17, 23);
    std::uniform_int_distribution<int> image(101, 103);
    for (int block = 0; block < 30; ++block) set_cell(game(), row(random), column(random), static_cast<int16_t>(image(random)));
    game().game_state = kPieceFalling;
    make_next_piece(saver);
    spawn_piece(game());
    make_next_piece(saver);
  }
  void next_piece_after_clear() {
    stakko_scrolldown(game(), saver.screen);
    ASSERT_FALSE(any_full_row(game()));
    spawn_piece(game());
    make_next_piece(saver);
    stakko_clearkey(game());
    game().game_state = kPieceFalling;
  }

  std::mt19937 random{20240611};
};

TEST_F(RobotSoakTest, TheRobotPlaysThousandsOfPiecesWithoutHangingOrBreakingTheField) {
  saver.screen = PlayScreen{};  // the rules alone: nothing to draw on
  game().drop_delay = 3;
  std::uniform_int_distribution<int> kind(1, 10);
  new_game();
  int pieces = 0;
  int games = 1;
  int rows = 0;
  constexpr int kMaxTicks = 2'000'000;
  for (int tick = 0; tick < kMaxTicks && pieces < 5000; ++tick) {
    if (game().game_state == kPieceFalling) stakko_movepiece(saver);
    if (game().game_state == kRowsFlashing) {
      rows += game().full_row_count;
      next_piece_after_clear();
    }
    if (game().game_state == kGameOverFill) {
      ++games;
      new_game();
    }
    if (game().drop_counter == -20 && game().piece_y == -20) {  // a new piece came
      ++pieces;
      game().next_kind = static_cast<int16_t>(kind(random));
    }
    ASSERT_TRUE(field_consistent(game())) << "tick " << tick;
  }
  EXPECT_EQ(pieces, 5000);
  EXPECT_GT(games, 1);
  EXPECT_GT(rows, 300);
}

}  // namespace
}  // namespace quarlyn
