#include "saver/piece_step.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "saver/playfield.h"
#include "saver/rule_core_fixture.h"

namespace quarlyn {
namespace {

using namespace testing::rules;

constexpr int kO = 2;     // box rows 1..2, columns 1..2 (columns 15..16 at the spawn)
constexpr int kDot = 3;   // box row 0, column 0
constexpr int kHalf = 4;  // a bar in rotation 0, nothing in the other rotations

class PieceStepTest : public RuleCoreTest {
 protected:
  PieceStepTest() {
    draw_all_rotations(game(), kO, {"....", ".XX.", ".XX.", "...."});
    draw_all_rotations(game(), kDot, {"X...", "....", "....", "...."});
    draw_shape(game(), kHalf, 0, {"....", "XXX.", "....", "...."});
    game().drop_delay = 30000;  // no gravity unless a test wants it
    game().next_kind = kO;
    game().next_image = 5;
    spawn_piece(game());
  }
  // The polls, counted from 1, that give a code.
  std::vector<int> coded_polls(int polls) {
    std::vector<int> coded;
    for (int poll = 1; poll <= polls; ++poll)
      if (get_keyboard(saver) != 0) coded.push_back(poll);
    return coded;
  }
  int occupied_cells() {
    int count = 0;
    for (int16_t cell : game().field_cells) count += cell != 0;
    return count;
  }
};

TEST_F(PieceStepTest, AHeldKeyRepeatsAfterItsDelayAndClearkeyHoldsItBack) {
  rt.keys_down = {kKeyLeft};
  EXPECT_EQ(coded_polls(20), (std::vector<int>{1, 9, 11, 13, 15, 17, 19}));
  stakko_clearkey(game());  // in the repeat phase
  EXPECT_EQ(coded_polls(18), std::vector<int>{17});

  rt.keys_down = {kKeyRight};  // another key is given at once
  EXPECT_EQ(coded_polls(3), std::vector<int>{1});
  stakko_clearkey(game());  // still in the first delay: 4 more polls, then 17
  EXPECT_EQ(coded_polls(21), std::vector<int>{21});

  rt.keys_down.clear();
  EXPECT_EQ(coded_polls(30), std::vector<int>{});
  rt.keys_down = {kKeyRight};  // a fresh press after a release
  EXPECT_EQ(get_keyboard(saver), kKeyRight);
}

TEST_F(PieceStepTest, TheStrongestHeldKeyWins) {
  const std::vector<std::pair<std::set<int>, int32_t>> cases{
      {{kKeyLeft, kKeyUp}, kKeyLeft},   {{kKeySpace, kKeyLeft}, kKeySpace}, {{kKeySpace, kKeyDown}, kKeySpace},
      {{kKeyEsc, kKeySpace}, kKeyEsc},  {{kKeyRight, kKeyUp}, kKeyRight},   {{kKeyDown, kKeyRight}, kKeyDown},
      {{kKeyLeft, kKeyDown}, kKeyLeft}, {{kKeyA, kKeyUp}, kKeyUp},          {{kKeyA, kKeyD}, kKeyA},
      {{kKeyW, kKeyS}, kKeyS},          {{kKeyD, kKeyW}, kKeyD},            {{kKeyS, kKeyEsc}, kKeyEsc}};
  for (const auto& [keys, code] : cases) {
    game().last_key = 0;
    rt.keys_down = keys;
    EXPECT_EQ(get_keyboard(saver), code) << *keys.begin() << "+" << *keys.rbegin();
  }
}

class QueryRecorder : public TestRuntime {
 public:
  bool key_down(int virtual_key) override {
    queried.push_back(virtual_key);
    return TestRuntime::key_down(virtual_key);
  }
  std::vector<int> queried;
};

TEST(KeyboardPoll, QueriesTheLettersOnlyWhenNoOtherKeyIsDown) {
  QueryRecorder recorder;
  Settings settings;
  RunFlags flags;
  Saver saver{recorder, settings, flags};
  get_keyboard(saver);
  EXPECT_EQ(recorder.queried, (std::vector<int>{38, 39, 40, 37, 32, 27, 87, 68, 83, 65}));
  recorder.queried.clear();
  recorder.keys_down = {kKeyRight};
  get_keyboard(saver);
  EXPECT_EQ(recorder.queried, (std::vector<int>{38, 39, 40, 37, 32, 27}));
}

TEST_F(PieceStepTest, EachKeyActsOnceWhereThePieceFits) {
  struct Case {
    int32_t key;
    int16_t x, start_x, rotation;
  };
  for (const Case& c : {Case{kKeyLeft, 260, 280, 0}, Case{kKeyA, 260, 280, 0}, Case{kKeyRight, 300, 280, 0},
                        Case{kKeyD, 300, 280, 0}, Case{kKeyUp, 280, 280, 1}, Case{kKeyW, 280, 280, 1},
                        Case{kKeyEsc, 280, 280, 0}, Case{kKeyLeft, 200, 200, 0}, Case{kKeyRight, 360, 360, 0}}) {
    place_piece(game(), kO, c.start_x, 100);
    game().key_code = c.key;
    stakko_movepiece(saver);
    EXPECT_EQ(game().piece_x, c.x) << c.key;
    EXPECT_EQ(game().piece_rotation, c.rotation) << c.key;
    EXPECT_EQ(game().key_code, 0) << c.key;
  }
  place_piece(game(), kO, 280, 100, 3);
  game().key_code = kKeyUp;
  stakko_movepiece(saver);
  EXPECT_EQ(game().piece_rotation, 0);
}

TEST_F(PieceStepTest, OnlyARotationThatIsMadePlaysItsSound) {
  constexpr int kBar = 6;
  draw_shape(game(), kBar, 0, {"....", "XXXX", "....", "...."});
  draw_shape(game(), kBar, 1, {"..X.", "..X.", "..X.", "..X."});
  place_piece(game(), kBar, 280, 100);
  set_cell(game(), 5, 16, 9);  // where the upright bar's top would go
  game().key_code = kKeyUp;
  stakko_movepiece(saver);
  EXPECT_EQ(game().piece_rotation, 0);
  EXPECT_EQ(rotation_sounds(), 0);
  set_cell(game(), 5, 16, 0);
  game().key_code = kKeyUp;
  stakko_movepiece(saver);
  EXPECT_EQ(game().piece_rotation, 1);
  EXPECT_EQ(rotation_sounds(), 1);
}

TEST_F(PieceStepTest, ANewPieceRestsTwentyFramesThenFallsAtTheLevelSpeed) {
  game().drop_delay = 3;
  std::vector<int> falls;
  for (int tick = 1; tick <= 30; ++tick) {
    const int16_t y = game().piece_y;
    stakko_movepiece(saver);
    if (game().piece_y != y) falls.push_back(tick);
  }
  EXPECT_EQ(falls, (std::vector<int>{23, 26, 29}));
}

TEST_F(PieceStepTest, ASoftDropScoresAPointAndFallsOrLandsInTheSameTick) {
  place_piece(game(), kO, 280, 0);
  game().key_code = kKeyDown;
  stakko_movepiece(saver);
  EXPECT_EQ(game().piece_y, 20);
  EXPECT_EQ(game().game_score, 1);

  place_piece(game(), kO, 280, 420);  // resting on the floor
  game().piece_image = 33;
  game().key_code = kKeyDown;
  for (int slot = 1; slot <= 17; ++slot) game().sprite_active[slot] = 1;
  stakko_movepiece(saver);
  EXPECT_EQ(game().game_score, 2);
  EXPECT_EQ(game().field_cells[23 * 32 + 15], 33);
  EXPECT_EQ(occupied_cells(), 4);
  EXPECT_EQ(game().piece_y, -20);  // the next piece is already falling
  EXPECT_EQ(game().game_state, kPieceFalling);
  EXPECT_EQ(game().sprite_active[16], 0);
  EXPECT_EQ(game().sprite_active[17], 1);
  EXPECT_EQ(saver.screen.ascreen.pixel(300, 460), image_colour(33));
}

TEST_F(PieceStepTest, AHardDropScoresByItsStartingRowAndEndsTheTick) {
  game().piece_image = 8;
  game().key_code = kKeySpace;
  stakko_movepiece(saver);
  EXPECT_EQ(game().game_score, 25);
  EXPECT_EQ(game().field_cells[23 * 32 + 16], 8);
  EXPECT_EQ(game().key_code, 0);
  EXPECT_EQ(game().drop_counter, -20);  // no gravity step after the drop

  place_piece(game(), kDot, 280, 440);  // row 22
  game().key_code = kKeySpace;
  stakko_movepiece(saver);
  EXPECT_EQ(game().game_score, 27);
  EXPECT_NE(game().field_cells[23 * 32 + 14], 0);
}

TEST_F(PieceStepTest, ASpawnOverBlocksEndsTheGameBeforeAnyKey) {
  set_cell(game(), 0, 15, 3);
  rt.keys_down = {kKeyLeft};
  game().sprite_active[1] = 1;
  stakko_movepiece(saver);
  EXPECT_EQ(game().game_state, kGameOverFill);
  EXPECT_EQ(game().piece_x, 280);
  EXPECT_EQ(game().last_key, 0);  // the keyboard was not polled
  EXPECT_EQ(game().sprite_active[1], 0);

  game().game_state = kPieceFalling;
  stakko_drop(saver);
  EXPECT_EQ(game().game_state, kGameOverFill);
  EXPECT_EQ(occupied_cells(), 1);
}

TEST_F(PieceStepTest, AKeyHeldThroughALandingWaitsBeforeMovingTheNextPiece) {
  game().drop_delay = 1;
  game().drop_counter = 0;
  place_piece(game(), kO, 280, 420);
  rt.keys_down = {kKeyLeft};
  stakko_movepiece(saver);  // moves left, then lands
  ASSERT_EQ(game().piece_y, -20);
  for (int tick = 2; tick <= 23; ++tick) {
    stakko_movepiece(saver);
    ASSERT_EQ(game().piece_x, 280) << tick;
  }
  stakko_movepiece(saver);
  EXPECT_EQ(game().piece_x, 260);
}

TEST_F(PieceStepTest, APieceWithoutCellsLandsAtOnceAndThePlayGoesOn) {
  for (int kind : {0, 25, -7}) {
    place_piece(game(), kind, 280, -20);
    game().next_kind = kO;
    stakko_movepiece(saver);
    EXPECT_EQ(game().piece_kind, kO) << kind;
  }
  place_piece(game(), 0, 280, -20);
  game().next_kind = kO;
  stakko_drop(saver);
  EXPECT_EQ(game().piece_kind, kO);

  place_piece(game(), kHalf, 280, 100);  // turned into its empty rotation, it lands next tick
  game().key_code = kKeyUp;
  stakko_movepiece(saver);
  ASSERT_EQ(game().piece_rotation, 1);
  game().next_kind = kO;
  stakko_movepiece(saver);
  EXPECT_EQ(game().piece_kind, kO);
  EXPECT_EQ(occupied_cells(), 0);

  game().piece_shapes = {};  // no shapes at all: every tick brings the next piece
  flags.robot_playing = 1;
  for (int tick = 0; tick < 200; ++tick) stakko_movepiece(saver);
  EXPECT_EQ(game().game_state, kPieceFalling);
}

}  // namespace
}  // namespace quarlyn
