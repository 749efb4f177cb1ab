// The generated default pictures: every file is there at the size the game expects, and the
// parts the game copies on their own (empty well row, blank counter field, digits, preview
// area) are where it takes them from.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/picture_files.h"

namespace quarlyn {
namespace {

Surface load(const std::string& name) {
  std::optional<Surface> picture = load_picture(std::string(QUARLYN_BUILD_DATA_DIR) + name);
  EXPECT_TRUE(picture.has_value()) << name;
  return picture.value_or(Surface());
}

bool uniform(const Surface& picture, const Rect& area, Pixel colour) {
  for (int y = area.top; y < area.top + area.height; ++y) {
    for (int x = area.left; x < area.left + area.width; ++x) {
      if (picture.pixel(x, y) != colour) return false;
    }
  }
  return true;
}

size_t colour_count(const Surface& picture, const Rect& area) {
  std::vector<Pixel> colours;
  for (int y = area.top; y < area.top + area.height; ++y) {
    for (int x = area.left; x < area.left + area.width; ++x) colours.push_back(picture.pixel(x, y));
  }
  std::sort(colours.begin(), colours.end());
  return static_cast<size_t>(std::unique(colours.begin(), colours.end()) - colours.begin());
}

bool dark(Pixel colour) { return ((colour >> 16) & 0xff) < 48 && ((colour >> 8) & 0xff) < 48 && (colour & 0xff) < 48; }

TEST(DefaultPicturesTest, EveryFileHasItsSizeAndIsNotFlat) {
  const struct {
    std::string name;
    int width;
    int height;
  } files[] = {{"grid.bmp", 210, 480}, {"next.bmp", 120, 140},     {"score.bmp", 140, 200},  {"numbers.bmp", 200, 25},
               {"bonus.bmp", 200, 80}, {"gameover.bmp", 160, 200}, {"bricks.bmp", 200, 220}, {"hiscore.bmp", 353, 261}};
  for (const auto& file : files) {
    Surface picture = load(file.name);
    EXPECT_EQ(picture.width(), file.width) << file.name;
    EXPECT_EQ(picture.height(), file.height) << file.name;
    EXPECT_GT(colour_count(picture, Rect{0, 0, file.width, file.height}), 50u) << file.name;
  }
}

TEST(DefaultPicturesTest, TenDistinctBackgrounds) {
  std::set<Pixel> corner_mix;
  for (int level = 1; level <= 10; ++level) {
    Surface back = load("back" + std::to_string(level) + ".bmp");
    ASSERT_EQ(back.width(), 640);
    ASSERT_EQ(back.height(), 480);
    EXPECT_GT(colour_count(back, Rect{0, 0, 640, 480}), 1000u) << level;
    corner_mix.insert(back.pixel(20, 20) ^ back.pixel(620, 460) ^ back.pixel(100, 400));
  }
  EXPECT_EQ(corner_mix.size(), 10u);
}

TEST(DefaultPicturesTest, EveryWellRowMatchesTheEmptyRowStrip) {
  Surface grid = load("grid.bmp");
  for (int band = 1; band < 24; ++band) {
    for (int y = 0; y < 20; ++y) {
      for (int x = 5; x < 205; ++x) ASSERT_EQ(grid.pixel(x, band * 20 + y), grid.pixel(x, y)) << x << "," << y;
    }
  }
  EXPECT_NE(grid.pixel(2, 100), grid.pixel(100, 100));
}

TEST(DefaultPicturesTest, CounterFieldsAreBlankAndMatchTheDigitCells) {
  Surface score = load("score.bmp");
  Pixel blank = score.pixel(9, 45);
  EXPECT_TRUE(dark(blank));
  EXPECT_TRUE(uniform(score, Rect{9, 45, 120, 25}, blank));
  for (int top : {41, 103, 165}) EXPECT_TRUE(uniform(score, Rect{10, top, 120, 25}, blank)) << top;
  EXPECT_GT(colour_count(score, Rect{10, 22, 120, 17}), 20u) << "label above the first field";

  Surface numbers = load("numbers.bmp");
  for (int digit = 0; digit < 10; ++digit) {
    EXPECT_TRUE(uniform(numbers, Rect{digit * 20, 0, 1, 25}, blank)) << digit;
    EXPECT_TRUE(uniform(numbers, Rect{digit * 20 + 19, 0, 1, 25}, blank)) << digit;
    EXPECT_GT(colour_count(numbers, Rect{digit * 20, 0, 20, 25}), 10u) << digit;
  }
}

TEST(DefaultPicturesTest, PreviewAndNameBoxAreasAreCalm) {
  Surface next = load("next.bmp");
  EXPECT_TRUE(uniform(next, Rect{20, 44, 80, 80}, next.pixel(20, 44)));
  EXPECT_TRUE(dark(next.pixel(20, 44)));
  Surface hiscore = load("hiscore.bmp");
  EXPECT_TRUE(uniform(hiscore, Rect{54, 210, 157, 19}, hiscore.pixel(54, 210)));
}

TEST(DefaultPicturesTest, BlocksDifferFromTheirNeighbours) {
  Surface bricks = load("bricks.bmp");
  for (int row = 0; row < 11; ++row) {
    for (int column = 0; column < (row < 10 ? 9 : 3); ++column) {
      EXPECT_NE(bricks.pixel(column * 20 + 10, row * 20 + 12), bricks.pixel(column * 20 + 30, row * 20 + 12))
          << row << "," << column;
    }
  }
}

TEST(DefaultPicturesTest, BonusStripsAreAllPainted) {
  Surface bonus = load("bonus.bmp");
  for (int strip = 0; strip < 4; ++strip) EXPECT_GT(colour_count(bonus, Rect{0, strip * 20, 200, 20}), 100u) << strip;
}

}  // namespace
}  // namespace quarlyn
