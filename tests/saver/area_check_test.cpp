#include "saver/area_check.h"

#include <gtest/gtest.h>

#include "saver/playfield.h"
#include "saver/rule_core_fixture.h"

namespace quarlyn {
namespace {

using namespace testing::rules;

class AreaCheckTest : public RuleCoreTest {};

// Wherever a piece of the game's shapes may stand, the area test one cell aside or below
// answers as the move tests do, walls and floor included; offsets within a cell change nothing.
TEST_F(AreaCheckTest, AgreesWithTheMoveTests) {
  load_real_shapes();
  for (int row = 8; row < kFieldRows; ++row)
    for (int column = kWellLeftColumn; column <= kWellRightColumn; ++column)
      if ((row * 7 + column * 3) % 4 == 0) set_cell(game(), row, column, 5);
  int compared = 0;
  for (int kind = 1; kind <= 7; ++kind) {
    for (int rotation = 0; rotation < 4; ++rotation) {
      for (int x = 160; x <= 440; x += 20) {
        for (int y = -60; y <= 480; y += 20) {
          place_piece(game(), kind, x, y, (rotation + 1) % 4);
          const bool turn_blocked = stakko_checkarea(game(), 0, 0) != 0;
          place_piece(game(), kind, x, y, rotation);
          if (stakko_checkarea(game(), 0, 0) != 0) continue;
          SCOPED_TRACE(::testing::Message() << "kind " << kind << " rotation " << rotation << " at " << x << "," << y);
          EXPECT_EQ(stakko_checkarea(game(), -20, 0) != 0, !stakko_moveleft(game()));
          EXPECT_EQ(stakko_checkarea(game(), 20, 0) != 0, !stakko_moveright(game()));
          EXPECT_EQ(stakko_checkarea(game(), 0, 20) != 0, !stakko_movedown(game()));
          EXPECT_EQ(turn_blocked, !stakko_rotation(game()));
          EXPECT_EQ(stakko_checkarea(game(), 19.9, 0.5), 0);
          EXPECT_EQ(stakko_checkarea(game(), -1, 0), stakko_checkarea(game(), -20, 0));
          ++compared;
        }
      }
    }
  }
  EXPECT_GT(compared, 1000);
}

}  // namespace
}  // namespace quarlyn
