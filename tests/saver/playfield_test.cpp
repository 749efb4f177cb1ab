#include "saver/playfield.h"

#include <gtest/gtest.h>

#include "saver/rule_core_fixture.h"

namespace quarlyn {
namespace {

using namespace testing::rules;

constexpr int kI = 1;    // horizontal in box row 1 (rotation 0) or 2 (2), upright in box column 2 (1) or 1 (3)
constexpr int kO = 2;    // box rows 1..2, columns 1..2
constexpr int kDot = 3;  // box row 0, column 0

class PlayfieldTest : public RuleCoreTest {
 protected:
  PlayfieldTest() {
    draw_shape(game(), kI, 0, {"....", "XXXX", "....", "...."});
    draw_shape(game(), kI, 1, {"..X.", "..X.", "..X.", "..X."});
    draw_shape(game(), kI, 2, {"....", "....", "XXXX", "...."});
    draw_shape(game(), kI, 3, {".X..", ".X..", ".X..", ".X.."});
    draw_all_rotations(game(), kO, {"....", ".XX.", ".XX.", "...."});
    draw_all_rotations(game(), kDot, {"X...", "....", "....", "...."});
  }
  // Asks the four move tests at once: left, right, down, rotate.
  std::array<bool, 4> moves(int kind, int x, int y, int rotation = 0) {
    place_piece(game(), kind, x, y, rotation);
    return {stakko_moveleft(game()), stakko_moveright(game()), stakko_movedown(game()), stakko_rotation(game())};
  }
  int occupied_cells() {
    int count = 0;
    for (int16_t cell : game().field_cells) count += cell != 0;
    return count;
  }
};

using Moves = std::array<bool, 4>;

TEST_F(PlayfieldTest, WallsAndFloorRefuseMovesThatLeaveTheWell) {
  EXPECT_EQ(moves(kI, 220, 0), (Moves{false, true, true, true}));   // columns 11..14
  EXPECT_EQ(moves(kI, 340, 0), (Moves{true, false, true, true}));   // columns 17..20
  EXPECT_EQ(moves(kI, 280, 440), (Moves{true, true, false, false}));     // row 23; upright reaches row 25
  EXPECT_EQ(moves(kI, 180, 100, 1), (Moves{false, true, true, false}));  // column 11; rotation 2 needs 9, 10
  EXPECT_EQ(moves(kI, 380, 100, 3), (Moves{true, false, true, false}));  // column 20; rotation 0 needs 21, 22
  EXPECT_EQ(moves(kI, 220, 100, 3), (Moves{true, true, true, true}));    // 3 turns to 0: columns 11..14
  EXPECT_FALSE(moves(kI, 200, 100, 3)[3]);                               // columns 10..13
}

TEST_F(PlayfieldTest, APiecePartlyAboveTheTopMovesAndTurnsAndRowMinusOneNeverCollides) {
  // Upright I at the spawn: rows -1..2 of column 16. A lookup that wrapped row -1 round to the
  // bottom would find row 23's blocks.
  fill_row(game(), 23, 7);
  EXPECT_EQ(moves(kI, 280, -20, 1), (Moves{true, true, true, true}));
  EXPECT_FALSE(stakko_checkinitialdrop(game()));
  EXPECT_FALSE(stakko_gameovercheck(game()));
  // The walls still apply to a cell in row -1.
  EXPECT_EQ(moves(kDot, 220, -20), (Moves{false, true, true, true}));
  EXPECT_EQ(moves(kDot, 400, -20), (Moves{true, false, true, true}));
}

TEST_F(PlayfieldTest, BlocksAndObstaclesAreOccupied) {
  for (int16_t value : {int16_t{1}, int16_t{100}, int16_t{101}, int16_t{103}}) {
    clear_field(game());
    set_cell(game(), 0, 12, value);  // left of an O at x = 240 (columns 13..14, rows 0..1)
    set_cell(game(), 1, 15, value);  // right of it
    set_cell(game(), 2, 13, value);  // below it
    EXPECT_EQ(moves(kO, 240, -20), (Moves{false, false, false, true})) << value;
    EXPECT_FALSE(stakko_checkinitialdrop(game())) << value;
    place_piece(game(), kO, 260, -20);
    EXPECT_TRUE(stakko_checkinitialdrop(game())) << value;
    EXPECT_TRUE(stakko_gameovercheck(game())) << value;
  }
}

TEST_F(PlayfieldTest, MovedownRecordsTheLowestFilledRowWhereThePieceStands) {
  moves(kO, 280, 0);
  EXPECT_EQ(game().piece_bottom_y, 40);
  EXPECT_FALSE(moves(kO, 280, 420)[2]);  // rows 22..23
  EXPECT_EQ(game().piece_bottom_y, 460);
  set_cell(game(), 10, 15, 3);
  EXPECT_FALSE(moves(kO, 280, 140)[2]);  // rows 8..9, on the block in row 10
  EXPECT_EQ(game().piece_bottom_y, 180);
  EXPECT_TRUE(moves(0, 280, 160)[2]);  // kind 0 has no cells
  EXPECT_EQ(game().piece_bottom_y, 0);
}

TEST_F(PlayfieldTest, KindsAndRotationsOutsideTheTableReadAsEmpty) {
  for (int kind : {-1, 21, 300}) {
    EXPECT_FALSE(shape_has_cells(game(), kind, 0));
    EXPECT_EQ(moves(kind, 280, 440), (Moves{true, true, true, true}));
  }
  EXPECT_FALSE(shape_has_cells(game(), kI, 4));
  EXPECT_TRUE(shape_has_cells(game(), kI, 3));
}

TEST_F(PlayfieldTest, StoringKeepsOnlyWellCellsAndStampsAllFourSurfaces) {
  game().piece_image = 37;
  place_piece(game(), kI, 280, -20, 1);  // column 16, rows -1..2
  stakko_storepiece(game(), saver.screen);
  EXPECT_EQ(game().field_cells[0 * 32 + 16], 37);
  EXPECT_EQ(game().field_cells[2 * 32 + 16], 37);
  EXPECT_EQ(occupied_cells(), 3);  // the cell in row -1 is lost
  for (const Surface* s : {&saver.screen.background_main, &saver.screen.background_copy, &saver.screen.background_work,
                           &saver.screen.ascreen}) {
    EXPECT_EQ(s->pixel(320, 0), image_colour(37));
    EXPECT_EQ(s->pixel(339, 59), image_colour(37));
    EXPECT_EQ(s->pixel(320, 60), 0u);
  }
  place_piece(game(), kI, 200, 200);  // row 11, columns 10..13: column 10 is lost
  stakko_storepiece(game(), saver.screen);
  EXPECT_EQ(occupied_cells(), 6);
  EXPECT_EQ(game().field_cells[11 * 32 + 10], 0);
  EXPECT_EQ(saver.screen.ascreen.pixel(200, 220), 0u);
}

TEST_F(PlayfieldTest, WithNoFullRowTheNextPieceEntersAtOnce) {
  fill_row(game(), 23, 4, {20});
  game().next_kind = kO;
  game().next_image = 12;
  game().robot_in_position = 1;
  game().key_code = 37;
  saver.screen.background_copy.fill({0, 0, 640, 480}, rgb(9, 9, 9));
  stakko_checkrows(saver);
  EXPECT_EQ(game().full_row_count, 0);
  EXPECT_EQ(game().game_state, kPieceFalling);
  EXPECT_EQ(game().sound_hold, 10);
  EXPECT_EQ(game().piece_kind, kO);
  EXPECT_EQ(game().piece_image, 12);
  EXPECT_EQ(game().piece_x, 280);
  EXPECT_EQ(game().piece_y, -20);
  EXPECT_EQ(game().drop_counter, -20);
  EXPECT_EQ(game().robot_in_position, 0);
  EXPECT_TRUE(game().next_kind >= 1 && game().next_kind <= 7);
  EXPECT_EQ(game().key_code, 0);
  EXPECT_EQ(game().key_repeat_count, -15);
  EXPECT_EQ(saver.screen.ascreen.pixel(10, 10), rgb(9, 9, 9));  // the full redraw
}

TEST_F(PlayfieldTest, FullRowsAreMarkedAndStartTheFlashing) {
  fill_row(game(), 23, 4);
  fill_row(game(), 22, 4, {15});
  fill_row(game(), 21, 102);
  game().full_rows[5] = 1;  // left over from an earlier landing
  place_piece(game(), kO, 280, 100);
  stakko_checkrows(saver);
  EXPECT_EQ(game().full_row_count, 2);
  EXPECT_EQ(game().full_rows[23] + game().full_rows[21], 2);
  EXPECT_EQ(game().full_rows[22] + game().full_rows[5], 0);
  EXPECT_EQ(game().bonus_clear, 0);
  EXPECT_EQ(game().game_state, kRowsFlashing);
  EXPECT_EQ(game().flash_frames, 20);
  EXPECT_EQ(game().piece_y, 100);  // no new piece yet

  fill_row(game(), 22, 4);
  fill_row(game(), 20, 4);
  stakko_checkrows(saver);
  EXPECT_EQ(game().full_row_count, 4);
  EXPECT_EQ(game().bonus_clear, 1);
  fill_row(game(), 19, 101);  // an obstacle row full from the start counts too
  stakko_checkrows(saver);
  EXPECT_EQ(game().full_row_count, 5);
}

TEST_F(PlayfieldTest, ScrolldownCollapsesSeparatedFullRowsInFieldAndPictures) {
  Surface& main = saver.screen.background_main;
  for (int row = 0; row < 24; ++row) main.fill({220, 20 * row, 200, 20}, rgb(0, 0, static_cast<uint8_t>(row)));
  saver.screen.ascreen.fill({0, 0, 640, 480}, rgb(2, 2, 2));
  fill_row(game(), 23, 4);
  set_cell(game(), 22, 11, 7);
  fill_row(game(), 21, 103);
  set_cell(game(), 20, 12, 8);
  set_cell(game(), 0, 20, 6);
  stakko_scrolldown(game(), saver.screen);

  EXPECT_EQ(game().field_cells[23 * 32 + 11], 7);
  EXPECT_EQ(game().field_cells[22 * 32 + 12], 8);
  EXPECT_EQ(game().field_cells[2 * 32 + 20], 6);
  EXPECT_EQ(occupied_cells(), 3);
  EXPECT_EQ(main.pixel(300, 23 * 20), rgb(0, 0, 22));
  EXPECT_EQ(main.pixel(300, 22 * 20 + 19), rgb(0, 0, 20));
  EXPECT_EQ(main.pixel(300, 2 * 20), rgb(0, 0, 0));
  EXPECT_EQ(main.pixel(419, 39), kGridStripColour);  // rows 0 and 1 show the empty well
  for (const Surface* s : {&saver.screen.background_copy, &saver.screen.background_work, &saver.screen.ascreen}) {
    EXPECT_EQ(s->pixel(220, 460), rgb(0, 0, 22));
    EXPECT_EQ(s->pixel(300, 0), kGridStripColour);
  }
  EXPECT_EQ(saver.screen.ascreen.pixel(219, 0), rgb(2, 2, 2));
  EXPECT_EQ(saver.screen.ascreen.pixel(420, 0), rgb(2, 2, 2));
}

TEST_F(PlayfieldTest, ScrolldownRemovesAdjacentFullRowsAll) {
  for (int row = 20; row <= 23; ++row) fill_row(game(), row, 4);
  fill_row(game(), 19, 5, {11});
  set_cell(game(), 18, 14, 6);
  stakko_scrolldown(game(), saver.screen);
  EXPECT_EQ(game().field_cells[23 * 32 + 12], 5);
  EXPECT_EQ(game().field_cells[22 * 32 + 14], 6);
  EXPECT_EQ(occupied_cells(), 10);
}

}  // namespace
}  // namespace quarlyn
