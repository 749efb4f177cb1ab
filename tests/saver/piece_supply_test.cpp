#include "saver/piece_supply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <utility>

#include "saver/playfield.h"
#include "saver/rule_core_fixture.h"
#include "support/temp_folder.h"

namespace quarlyn {
namespace {

using namespace testing::rules;

// Cell c of rotation q of kind k holds k * 100 + q * 16 + c, so a test sees where each went.
int16_t marked(int kind, int cell) { return static_cast<int16_t>(kind * 100 + cell); }

std::string shape_file(int declared, int written) {
  std::string text = "\"test shapes\"\n" + std::to_string(declared) + "\n";
  for (int kind = 1; kind <= written; ++kind)
    for (int q = 0; q < 4; ++q) {
      for (int c = 0; c < 16; ++c) text += std::to_string(marked(kind, q * 16 + c)) + ",";
      text += "\"kind " + std::to_string(kind) + "\"\n";
    }
  return text;
}

class PieceSupplyTest : public RuleCoreTest {
 protected:
  void write(const std::string& name, const std::string& text) {
    std::ofstream(folder.path() / name, std::ios::binary) << text;
    settings.install_path = folder.path().string() + "/";
  }
  // Every entry of kinds 1..20 := 77, so entries not read show.
  bool load_shapes(const std::string& text) {
    for (int kind = 1; kind <= kMaxKinds; ++kind) game().piece_shapes[kind].fill(77);
    write("objects.txt", text);
    return load_piece_shapes(game(), settings);
  }
  int16_t shape(int kind, int cell) { return game().piece_shapes[kind][cell]; }

  testing::TempFolder folder;
};

TEST_F(PieceSupplyTest, ShapesAreStoredAsReadForAtMostTwentyKinds) {
  EXPECT_TRUE(load_shapes(shape_file(2, 2)));
  EXPECT_EQ(game().piece_kind_count, 2);
  EXPECT_EQ(shape(1, 0), marked(1, 0));
  EXPECT_EQ(shape(2, 63), marked(2, 63));
  EXPECT_EQ(shape(1, 64), 77);
  EXPECT_EQ(shape(3, 0), 77);

  EXPECT_FALSE(load_shapes(shape_file(25, 25)));
  EXPECT_EQ(game().piece_kind_count, 25);
  EXPECT_EQ(shape(20, 63), marked(20, 63));

  for (const char* count : {"0", "-4"}) {
    EXPECT_TRUE(load_shapes("\"none\"\n" + std::string(count) + "\n" + shape_file(1, 1))) << count;
    EXPECT_EQ(shape(1, 0), 77);
  }
}

TEST_F(PieceSupplyTest, TheShapeReadStopsAtItsFirstError) {
  std::string text = shape_file(2, 1) + "200,201,202";  // short
  EXPECT_FALSE(load_shapes(text));
  EXPECT_EQ(shape(1, 63), marked(1, 63));
  EXPECT_EQ(shape(2, 2), marked(2, 2));
  EXPECT_EQ(shape(2, 3), 77);

  text = shape_file(1, 1);
  text.replace(text.find("105"), 3, "1.5");
  EXPECT_FALSE(load_shapes(text));
  EXPECT_EQ(shape(1, 4), marked(1, 4));
  EXPECT_EQ(shape(1, 5), 77);
  EXPECT_EQ(shape(1, 16), 77);

  text = shape_file(1, 1);
  EXPECT_FALSE(load_shapes(text.substr(0, text.rfind(','))));  // the last separator is missing

  game().piece_kind_count = 3;
  EXPECT_FALSE(load_shapes("\"title\"\nten\n"));
  EXPECT_EQ(game().piece_kind_count, 3);

  std::filesystem::remove(folder.path() / "objects.txt");
  EXPECT_FALSE(load_piece_shapes(game(), settings));
  EXPECT_EQ(game().piece_kind_count, 3);
}

TEST_F(PieceSupplyTest, TheSequenceKeepsWhatItReadBeforeAnErrorAndStopsAtAThousand) {
  const auto load = [&](const std::string& text) {
    game().piece_sequence.fill(9);
    write("pieces.dat", text);
    load_piece_sequence(game(), settings);
  };
  load("1,2,3\n4,5\n");
  EXPECT_EQ(game().piece_sequence[5], 5);
  EXPECT_EQ(game().piece_sequence[6], 9);
  load("6,7,x,1");
  EXPECT_EQ(game().piece_sequence[2], 7);
  EXPECT_EQ(game().piece_sequence[3], 9);
  std::string many;
  for (int i = 1; i <= 1005; ++i) many += std::to_string(i % 7 + 1) + (i % 20 == 0 ? "\n" : ",");
  load(many);
  EXPECT_EQ(game().piece_sequence[1000], 1000 % 7 + 1);
  EXPECT_EQ(game().piece_sequence[0], 9);
  game().piece_sequence.fill(9);
  std::filesystem::remove(folder.path() / "pieces.dat");
  load_piece_sequence(game(), settings);
  EXPECT_EQ(game().piece_sequence[1], 9);
}

// The filled cells of one rotation, moved to the box's top-left corner.
std::set<std::pair<int, int>> normalised(const Game& game, int kind, int rotation) {
  std::set<std::pair<int, int>> cells;
  for (int cell = 0; cell < 16; ++cell)
    if (box_cell_filled(game, kind, rotation, cell)) cells.insert({cell / 4, cell % 4});
  int top = 4, left = 4;
  for (auto [i, j] : cells) top = std::min(top, i), left = std::min(left, j);
  std::set<std::pair<int, int>> moved;
  for (auto [i, j] : cells) moved.insert({i - top, j - left});
  return moved;
}

TEST_F(PieceSupplyTest, TheRealShapesAreTenKindsTurningClockwiseThatSpawnInsideTheWell) {
  load_real_shapes();
  EXPECT_EQ(game().piece_kind_count, 10);
  for (int kind = 1; kind <= 10; ++kind) {
    for (int q = 0; q < 4; ++q) {
      const auto cells = normalised(game(), kind, q);
      EXPECT_TRUE(kind <= 7 ? cells.size() == 4 : !cells.empty()) << kind << " " << q;
      std::set<std::pair<int, int>> turned;  // (i, j) -> (j, -i) turns a quarter clockwise
      for (auto [i, j] : normalised(game(), kind, (q + 3) % 4)) turned.insert({j, -i});
      int left = 0;
      for (auto [i, j] : turned) left = std::min(left, j);
      std::set<std::pair<int, int>> expected;
      for (auto [i, j] : turned) expected.insert({i, j - left});
      EXPECT_EQ(cells, expected) << kind << " " << q;
    }
    // At the spawn, box row i lies on field row i - 1 and box column j on field column 14 + j.
    int top = 4;
    for (int cell = 0; cell < 16; ++cell) {
      if (!box_cell_filled(game(), kind, 0, cell)) continue;
      top = std::min(top, cell / 4);
      EXPECT_TRUE(14 + cell % 4 >= kWellLeftColumn && 14 + cell % 4 <= kWellRightColumn) << kind;
    }
    EXPECT_TRUE(top == 1 || top == 2) << kind;
  }
}

TEST_F(PieceSupplyTest, TheRealSequenceIsAThousandMixedClassicKinds) {
  load_piece_sequence(game(), settings);
  int counts[8] = {};
  for (int i = 1; i <= 1000; ++i) {
    ASSERT_TRUE(game().piece_sequence[i] >= 1 && game().piece_sequence[i] <= 7) << i;
    ++counts[game().piece_sequence[i]];
  }
  for (int kind = 1; kind <= 7; ++kind) EXPECT_NEAR(counts[kind], 1000 / 7, 3) << kind;
}

TEST_F(PieceSupplyTest, KindsComeFromTheSetOfWhoPlaysAndReseedEveryTime) {
  struct Case {
    int16_t piece_type;
    int32_t robot;
    double draw;
    int16_t kind;
  };
  for (const Case& c : {Case{1, 0, 0.0, 1}, Case{1, 0, 0.999, 7}, Case{2, 0, 0.95, 10}, Case{2, 1, 0.95, 7}}) {
    settings.piece_type = c.piece_type;
    flags.robot_playing = c.robot;
    rt.scripted_draws = {c.draw, 0.5};
    const int reseeds = rt.randomize_calls;
    make_next_piece(saver);
    EXPECT_EQ(game().next_kind, c.kind) << c.piece_type << " " << c.draw;
    EXPECT_EQ(rt.randomize_calls, reseeds + 1);
  }
}

TEST_F(PieceSupplyTest, APersonsFixedOrderGameFollowsTheSequenceAndWraps) {
  settings.game_difficulty = 2;
  game().piece_sequence[1] = 4;
  game().piece_sequence[2] = 6;
  game().piece_sequence[1000] = 3;
  rt.scripted_draws = {0.999, 0.0};  // the random kind is drawn and thrown away
  make_next_piece(saver);
  EXPECT_EQ(game().next_kind, 4);
  make_next_piece(saver);
  EXPECT_EQ(game().next_kind, 6);
  game().piece_sequence_pos = 999;
  make_next_piece(saver);
  EXPECT_EQ(game().next_kind, 3);
  make_next_piece(saver);
  EXPECT_EQ(game().next_kind, 4);
  EXPECT_EQ(game().piece_sequence_pos, 1);

  flags.robot_playing = 1;  // the robot plays random pieces and leaves the sequence alone
  rt.scripted_draws = {0.0, 0.0};
  make_next_piece(saver);
  EXPECT_EQ(game().next_kind, 1);
  EXPECT_EQ(game().piece_sequence_pos, 1);
}

// A damaged program folder: a kind without a shape in every rotation would fall for ever.
TEST_F(PieceSupplyTest, AKindWithoutAShapeIsReplacedByARandomKindThatHasOne) {
  load_real_shapes();
  game().piece_shapes[5] = {};
  draw_shape(game(), 6, 2, {"....", "....", "....", "...."});
  const std::set<int> usable = {1, 2, 3, 4, 7};
  settings.game_difficulty = 2;
  const std::vector<int16_t> entries = {0, 21, -3, 12, 5, 6};
  for (size_t i = 0; i < entries.size(); ++i) game().piece_sequence[i + 1] = entries[i];
  std::set<int> chosen;
  for (int16_t entry : entries) {
    for (int round = 0; round < 20; ++round) {
      game().piece_sequence_pos = static_cast<int32_t>(std::find(entries.begin(), entries.end(), entry) - entries.begin());
      make_next_piece(saver);
      ASSERT_TRUE(usable.count(game().next_kind)) << entry << " gave " << game().next_kind;
      chosen.insert(game().next_kind);
    }
  }
  EXPECT_EQ(chosen, usable) << "any kind that has a shape";
  flags.robot_playing = 1;
  rt.scripted_draws = {4.0 / 7 + 0.01, 0.0};  // the robot's random kind 5
  make_next_piece(saver);
  EXPECT_TRUE(usable.count(game().next_kind)) << game().next_kind;
}

TEST_F(PieceSupplyTest, TheSpeedTablesGiveFramesPerRowForLevelsOneToTwenty) {
  game().drop_delays[0] = -1;
  init_speed_table(game());
  const std::array<int16_t, 21> expected = {-1, 31, 27, 23, 19, 15, 11, 9, 7, 5, 3,
                                            31, 27, 23, 19, 15, 11, 7, 4, 2, 1};
  EXPECT_EQ(game().drop_delays, expected);
}

TEST_F(PieceSupplyTest, ImagesFollowTheLevel) {
  struct Case {
    int32_t level;
    double draw;
    int16_t image;
  };
  for (const Case& c : {Case{1, 0.0, 1}, Case{1, 0.999, 10}, Case{10, 0.0, 91}, Case{10, 0.999, 100},
                        Case{11, 0.0, 1}, Case{11, 0.999, 100}, Case{25, 0.5, 51}}) {
    game().game_level = c.level;
    rt.scripted_draws = {0.0, c.draw};
    make_next_piece(saver);
    EXPECT_EQ(game().next_image, c.image) << c.level << " " << c.draw;
  }
}

TEST_F(PieceSupplyTest, ThePreviewShowsRotationZeroInAFreshNextBox) {
  draw_shape(game(), 3, 0, {"X...", ".X..", "....", "...X"});
  draw_shape(game(), 3, 1, {"....", "....", "..X.", "...."});
  game().game_level = 2;
  for (Surface* s : {&saver.screen.ascreen, &saver.screen.background_main, &saver.screen.background_copy})
    s->fill({460, 60, 120, 140}, rgb(255, 0, 0));
  rt.scripted_draws = {2.0 / 7 + 0.01, 0.45};  // kind 3, image 15
  make_next_piece(saver);
  ASSERT_EQ(game().next_image, 15);
  for (const Surface* s : {&saver.screen.ascreen, &saver.screen.background_main, &saver.screen.background_copy}) {
    EXPECT_EQ(s->pixel(480, 104), image_colour(15));
    EXPECT_EQ(s->pixel(519, 143), image_colour(15));
    EXPECT_EQ(s->pixel(559, 183), image_colour(15));
    EXPECT_EQ(s->pixel(520, 144), kNextBoxColour);  // rotation 1 is not shown
    EXPECT_EQ(s->pixel(460, 60), kNextBoxColour);
    EXPECT_EQ(s->pixel(579, 199), kNextBoxColour);
  }
  EXPECT_EQ(saver.screen.background_work.pixel(480, 104), 0u);
}

}  // namespace
}  // namespace quarlyn
