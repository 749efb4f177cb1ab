#include "saver/piece_supply.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "saver/playfield.h"
#include "saver/rule_core_fixture.h"
#include "support/temp_folder.h"

namespace quarlyn {
namespace {

using namespace testing::rules;

// Cell c of rotation q of kind k holds k * 100 + q * 16 + c, so a test can see where each
// value went.
std::string kind_lines(int kind) {
  std::string text;
  for (int q = 0; q < 4; ++q) {
    for (int c = 0; c < 16; ++c) text += std::to_string(kind * 100 + q * 16 + c) + ",";
    text += "\"kind " + std::to_string(kind) + "\"\n";
  }
  return text;
}

std::string shape_file(int declared, int written) {
  std::string text = "\"test shapes\"\n" + std::to_string(declared) + "\n";
  for (int kind = 1; kind <= written; ++kind) text += kind_lines(kind);
  return text;
}

int16_t marked(int kind, int cell) { return static_cast<int16_t>(kind * 100 + cell); }

class PieceSupplyTest : public RuleCoreTest {
 protected:
  void write(const std::string& name, const std::string& text) {
    std::ofstream(folder.path() / name, std::ios::binary) << text;
    settings.install_path = folder.path().string() + "/";
  }
  // Every entry of kinds 1..20 set to 77, so unread entries show.
  void mark_table() {
    for (int kind = 1; kind <= kMaxKinds; ++kind) game().piece_shapes[kind].fill(77);
  }

  testing::TempFolder folder;
};

TEST_F(PieceSupplyTest, AWholeShapeFileIsStoredCellByCell) {
  mark_table();
  write("objects.txt", shape_file(2, 2));
  EXPECT_TRUE(load_piece_shapes(game(), settings));
  EXPECT_EQ(game().piece_kind_count, 2);
  for (int kind = 1; kind <= 2; ++kind)
    for (int cell = 0; cell < 64; ++cell) EXPECT_EQ(game().piece_shapes[kind][cell], marked(kind, cell));
  EXPECT_EQ(game().piece_shapes[1][64], 77);
  EXPECT_EQ(game().piece_shapes[3][0], 77);
  EXPECT_EQ(game().piece_shapes[0][0], 0);
}

TEST_F(PieceSupplyTest, MoreThanTwentyKindsStoresTwentyAndFails) {
  write("objects.txt", shape_file(25, 25));
  EXPECT_FALSE(load_piece_shapes(game(), settings));
  EXPECT_EQ(game().piece_kind_count, 25);
  EXPECT_EQ(game().piece_shapes[20][63], marked(20, 63));
  EXPECT_EQ(game().piece_shapes[1][0], marked(1, 0));
}

TEST_F(PieceSupplyTest, NoKindsReadsNothingAndSucceeds) {
  for (const char* count : {"0", "-4"}) {
    mark_table();
    write("objects.txt", "\"none\"\n" + std::string(count) + "\n" + kind_lines(1));
    EXPECT_TRUE(load_piece_shapes(game(), settings)) << count;
    EXPECT_EQ(game().piece_kind_count, std::stoi(count));
    EXPECT_EQ(game().piece_shapes[1][0], 77);
  }
}

TEST_F(PieceSupplyTest, AShapeFileStopsAtItsFirstBadField) {
  // Short: the second kind ends after ten cells.
  mark_table();
  std::string text = shape_file(2, 1);
  for (int c = 0; c < 10; ++c) text += std::to_string(marked(2, c)) + ",";
  write("objects.txt", text);
  EXPECT_FALSE(load_piece_shapes(game(), settings));
  EXPECT_EQ(game().piece_shapes[1][63], marked(1, 63));
  EXPECT_EQ(game().piece_shapes[2][9], marked(2, 9));
  EXPECT_EQ(game().piece_shapes[2][10], 77);

  // A cell that is not a whole number: the cells before it stay, nothing after it is read.
  mark_table();
  text = shape_file(1, 1);
  text.replace(text.find(std::to_string(marked(1, 5))), 3, "1.5");
  write("objects.txt", text);
  EXPECT_FALSE(load_piece_shapes(game(), settings));
  EXPECT_EQ(game().piece_shapes[1][4], marked(1, 4));
  EXPECT_EQ(game().piece_shapes[1][5], 77);
  EXPECT_EQ(game().piece_shapes[1][16], 77);

  // The separator after the last rotation is part of the file.
  text = shape_file(1, 1);
  write("objects.txt", text.substr(0, text.rfind(",")));
  EXPECT_FALSE(load_piece_shapes(game(), settings));

  // A count that is not a number leaves the count as it was.
  game().piece_kind_count = 3;
  write("objects.txt", "\"title\"\nten\n");
  EXPECT_FALSE(load_piece_shapes(game(), settings));
  EXPECT_EQ(game().piece_kind_count, 3);
}

TEST_F(PieceSupplyTest, AMissingShapeFileChangesNothing) {
  mark_table();
  game().piece_kind_count = 6;
  settings.install_path = folder.path().string() + "/";
  EXPECT_FALSE(load_piece_shapes(game(), settings));
  EXPECT_EQ(game().piece_kind_count, 6);
  EXPECT_EQ(game().piece_shapes[1][0], 77);
}

TEST_F(PieceSupplyTest, TheSequenceKeepsWhatItReadUntilTheFirstError) {
  game().piece_sequence.fill(9);
  write("pieces.dat", "1,2,3\n4,5\n");
  load_piece_sequence(game(), settings);
  EXPECT_EQ(game().piece_sequence[1], 1);
  EXPECT_EQ(game().piece_sequence[5], 5);
  EXPECT_EQ(game().piece_sequence[6], 9);

  game().piece_sequence.fill(9);
  write("pieces.dat", "6,7,x,1,1");
  load_piece_sequence(game(), settings);
  EXPECT_EQ(game().piece_sequence[2], 7);
  EXPECT_EQ(game().piece_sequence[3], 9);
  EXPECT_EQ(game().piece_sequence[4], 9);

  game().piece_sequence.fill(9);
  std::filesystem::remove(folder.path() / "pieces.dat");
  load_piece_sequence(game(), settings);
  EXPECT_EQ(game().piece_sequence[1], 9);
}

TEST_F(PieceSupplyTest, TheSequenceReadsAtMostAThousandEntries) {
  std::string text;
  for (int i = 1; i <= 1005; ++i) text += std::to_string(i % 7 + 1) + (i % 20 == 0 ? "\n" : ",");
  write("pieces.dat", text);
  load_piece_sequence(game(), settings);
  EXPECT_EQ(game().piece_sequence[0], 0);
  EXPECT_EQ(game().piece_sequence[1], 2);
  EXPECT_EQ(game().piece_sequence[1000], 1000 % 7 + 1);
}

TEST_F(PieceSupplyTest, TheRealDataFilesLoad) {
  load_real_shapes();
  EXPECT_EQ(game().piece_kind_count, 10);
  game().piece_sequence.fill(0);
  load_piece_sequence(game(), settings);
  int counts[8] = {};
  for (int i = 1; i <= 1000; ++i) {
    ASSERT_GE(game().piece_sequence[i], 1) << i;
    ASSERT_LE(game().piece_sequence[i], 7) << i;
    ++counts[game().piece_sequence[i]];
  }
  for (int kind = 1; kind <= 7; ++kind) EXPECT_NEAR(counts[kind], 1000 / 7, 3) << kind;
}

TEST_F(PieceSupplyTest, NextKindsComeFromTheRightSet) {
  struct Case {
    int16_t piece_type;
    int32_t robot;
    double draw;
    int16_t kind;
  };
  for (const Case& c : {Case{1, 0, 0.0, 1}, Case{1, 0, 0.999, 7}, Case{2, 0, 0.95, 10}, Case{2, 1, 0.95, 7},
                        Case{2, 0, 0.0, 1}}) {
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
  for (int16_t expected : {4, 6}) {
    rt.scripted_draws = {0.999, 0.0};  // the random kind is drawn and thrown away
    make_next_piece(saver);
    EXPECT_EQ(game().next_kind, expected);
  }
  EXPECT_EQ(game().piece_sequence_pos, 2);

  game().piece_sequence_pos = 999;
  make_next_piece(saver);
  EXPECT_EQ(game().next_kind, 3);
  make_next_piece(saver);
  EXPECT_EQ(game().next_kind, 4);
  EXPECT_EQ(game().piece_sequence_pos, 1);

  // The robot plays random pieces and leaves the sequence where it is.
  flags.robot_playing = 1;
  rt.scripted_draws = {0.0, 0.0};
  make_next_piece(saver);
  EXPECT_EQ(game().next_kind, 1);
  EXPECT_EQ(game().piece_sequence_pos, 1);
}

TEST_F(PieceSupplyTest, SequenceEntriesThatNameNoKindGiveTheEmptyKind) {
  settings.game_difficulty = 2;
  game().piece_sequence[1] = 0;
  game().piece_sequence[2] = 21;
  game().piece_sequence[3] = -3;
  game().piece_sequence[4] = 20;
  for (int16_t expected : {0, 0, 0, 20}) {
    make_next_piece(saver);
    EXPECT_EQ(game().next_kind, expected);
  }
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
  ASSERT_EQ(game().next_kind, 3);
  ASSERT_EQ(game().next_image, 15);
  for (const Surface* s : {&saver.screen.ascreen, &saver.screen.background_main, &saver.screen.background_copy}) {
    EXPECT_EQ(s->pixel(480, 104), image_colour(15));
    EXPECT_EQ(s->pixel(519, 143), image_colour(15));
    EXPECT_EQ(s->pixel(540, 164), image_colour(15));
    EXPECT_EQ(s->pixel(520, 144), kNextBoxColour);  // rotation 1's cell is not drawn
    EXPECT_EQ(s->pixel(460, 60), kNextBoxColour);
    EXPECT_EQ(s->pixel(579, 199), kNextBoxColour);
    EXPECT_EQ(s->pixel(580, 199), 0u);
  }
  EXPECT_EQ(saver.screen.background_work.pixel(480, 104), 0u);
}

TEST_F(PieceSupplyTest, TheSpeedTableCoversTwentyLevels) {
  game().drop_delays.fill(-1);
  init_speed_table(game());
  const std::array<int16_t, 21> expected{-1, 31, 27, 23, 19, 15, 11, 9, 7, 5, 3, 31, 27, 23, 19, 15, 11, 7, 4, 2, 1};
  EXPECT_EQ(game().drop_delays, expected);
}

}  // namespace
}  // namespace quarlyn
