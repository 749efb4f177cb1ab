#include "platform/surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

namespace quarlyn {
namespace {

// Every pixel different, so a pixel copied from the wrong place shows.
Surface numbered(int width, int height, Pixel base) {
  Surface surface(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) surface.set_pixel(x, y, base + static_cast<Pixel>(y * 256 + x));
  }
  return surface;
}

bool same_pixels(const Surface& a, const Surface& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  for (int y = 0; y < a.height(); ++y) {
    if (!std::equal(a.row(y), a.row(y) + a.width(), b.row(y))) return false;
  }
  return true;
}

int channel(Pixel p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

// The largest difference of any channel between two pixels.
int distance(Pixel a, Pixel b) {
  int most = 0;
  for (int shift : {0, 8, 16}) most = std::max(most, std::abs(channel(a, shift) - channel(b, shift)));
  return most;
}

using Area = std::tuple<int, int, int, int>;

std::vector<Area> areas(const std::vector<Rect>& rects) {
  std::vector<Area> out;
  for (const Rect& r : rects) out.emplace_back(r.left, r.top, r.width, r.height);
  return out;
}

TEST(SurfaceTest, PixelsOutsideReadAsZeroAndIgnoreWrites) {
  Surface surface(3, 2, 0x123456);
  for (auto [x, y] : {std::pair{-1, 0}, {3, 0}, {0, -1}, {0, 2}}) {
    surface.set_pixel(x, y, 0xFFFFFF);
    EXPECT_EQ(surface.pixel(x, y), 0u);
  }
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(surface.pixel(x, y), 0x123456u);
  }
  EXPECT_TRUE(Surface(0, 5).empty());
  EXPECT_TRUE(Surface(-3, 5).empty());
}

TEST(SurfaceTest, FillIsClippedToTheSurface) {
  Surface surface(4, 3);
  surface.fill({-2, 1, 4, 10}, 0xABCDEF);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(surface.pixel(x, y), (y >= 1 && x < 2) ? 0xABCDEFu : 0u) << x << "," << y;
  }
}

TEST(BitbltTest, CombinesWithTheDestinationByOperation) {
  const Surface source(1, 1, 0x0FF00F);
  const std::pair<uint32_t, Pixel> cases[] = {
      {SRCCOPY, 0x0FF00F}, {SRCAND, 0x00F000}, {SRCPAINT, 0xFFF0FF}, {0x00AA0029, 0x0FF00F}};
  for (const auto& [operation, expected] : cases) {
    Surface destination(1, 1, 0xF0F0F0);
    bitblt(destination, 0, 0, 1, 1, source, 0, 0, operation);
    EXPECT_EQ(destination.pixel(0, 0), expected) << operation;
  }
}

// Draws exactly the pixels whose destination and source both lie inside their surfaces, each from
// the source pixel at the same offset. Checked pixel by pixel against that definition.
TEST(BitbltTest, ClipsAtEveryEdgeOfBothSurfaces) {
  const Surface source = numbered(5, 4, 0x100000);
  struct Case {
    int x, y, w, h, sx, sy;
  };
  const Case cases[] = {{-2, 1, 4, 2, 0, 0}, {1, -3, 3, 4, 1, 0}, {5, 4, 6, 6, 0, 0}, {-1, -1, 9, 9, 0, 0},
                        {2, 1, 3, 3, -2, 0}, {0, 0, 3, 3, 1, -2}, {0, 0, 4, 4, 3, 2}, {3, 2, 3, 3, 0, 0},
                        {-9, 0, 3, 3, 0, 0}, {0, 0, 3, 3, 5, 0},  {0, 0, 3, 3, 0, 4}, {0, 0, 3, 3, -3, -3},
                        {-2, -2, 3, 3, 4, 3}};
  for (const Case& c : cases) {
    Surface destination(6, 5, 0xEEEEEE);
    bitblt(destination, c.x, c.y, c.w, c.h, source, c.sx, c.sy, SRCCOPY);
    for (int y = 0; y < destination.height(); ++y) {
      for (int x = 0; x < destination.width(); ++x) {
        const int from_x = c.sx + x - c.x;
        const int from_y = c.sy + y - c.y;
        const bool drawn = x >= c.x && x < c.x + c.w && y >= c.y && y < c.y + c.h && from_x >= 0 && from_y >= 0 &&
                           from_x < source.width() && from_y < source.height();
        EXPECT_EQ(destination.pixel(x, y), drawn ? source.pixel(from_x, from_y) : 0xEEEEEEu)
            << "case " << (&c - cases) << " at " << x << "," << y;
      }
    }
  }
}

TEST(BitbltTest, EmptyOrNegativeSizesAndExtremeCoordinatesDrawNothing) {
  const Surface source(4, 4, 0x111111);
  Surface destination(4, 4, 0x222222);
  destination.track_changes(true);
  for (auto [w, h] : {std::pair{0, 3}, {3, 0}, {-2, 3}, {3, -1}})
    bitblt(destination, 0, 0, w, h, source, 0, 0, SRCCOPY);
  bitblt(destination, INT32_MAX, 0, INT32_MAX, 2, source, 0, 0, SRCCOPY);
  bitblt(destination, 0, 0, INT32_MAX, INT32_MAX, source, INT32_MIN, INT32_MIN, SRCCOPY);
  bitblt(destination, 0, 0, 2, 2, Surface(), 0, 0, SRCCOPY);
  EXPECT_TRUE(same_pixels(destination, Surface(4, 4, 0x222222)));
  EXPECT_TRUE(destination.take_changes().empty());
}

// A copy within one surface must equal a copy from a snapshot, whichever way the areas overlap.
TEST(BitbltTest, OverlappingCopiesWithinOneSurfaceReadTheSourceFirst) {
  for (uint32_t operation : {SRCCOPY, SRCAND, SRCPAINT}) {
    for (int dy = -3; dy <= 3; ++dy) {
      for (int dx = -3; dx <= 3; ++dx) {
        Surface surface = numbered(9, 8, 0x5A0000);
        const Surface snapshot = surface;
        Surface expected = surface;
        bitblt(expected, 2 + dx, 2 + dy, 5, 4, snapshot, 2, 2, operation);
        bitblt(surface, 2 + dx, 2 + dy, 5, 4, surface, 2, 2, operation);
        EXPECT_TRUE(same_pixels(surface, expected)) << "shift " << dx << "," << dy << " operation " << operation;
      }
    }
  }
}

TEST(PaintPictureTest, OnePixelFillsTheRectangleAndNothingElse) {
  Surface destination(10, 8, 0x010101);
  paint_picture(destination, Surface(1, 1, 0x3366CC), 2, 1, 5, 4);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 7 && y >= 1 && y < 5;
      EXPECT_EQ(destination.pixel(x, y), inside ? 0x3366CCu : 0x010101u) << x << "," << y;
    }
  }
}

TEST(PaintPictureTest, EnlargingGivesSmoothGradientsAndKeepsTheCorners) {
  Surface picture(2, 2);
  picture.set_pixel(0, 0, 0x000000);
  picture.set_pixel(1, 0, 0xFF0000);
  picture.set_pixel(0, 1, 0x00FF00);
  picture.set_pixel(1, 1, 0x0000FF);
  Surface screen(640, 480);
  paint_picture(screen, picture, 0, 0, 640, 480);
  EXPECT_EQ(screen.pixel(0, 0), 0x000000u);
  EXPECT_EQ(screen.pixel(639, 0), 0xFF0000u);
  EXPECT_EQ(screen.pixel(0, 479), 0x00FF00u);
  EXPECT_EQ(screen.pixel(639, 479), 0x0000FFu);
  int steepest = 0;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      if (x > 0) steepest = std::max(steepest, distance(screen.pixel(x, y), screen.pixel(x - 1, y)));
      if (y > 0) steepest = std::max(steepest, distance(screen.pixel(x, y), screen.pixel(x, y - 1)));
    }
  }
  // Blending over 320 columns and 240 rows moves at most about one or two levels a pixel.
  EXPECT_LE(steepest, 2);
  EXPECT_NEAR(channel(screen.pixel(320, 0), 16), 128, 2);
}

TEST(PaintPictureTest, ReducingAveragesTheCoveredPixels) {
  Surface row(4, 1);
  for (int x = 0; x < 4; ++x) row.set_pixel(x, 0, rgb(static_cast<uint8_t>(10 * (x + 1)), 0, 0));
  Surface half(2, 1);
  paint_picture(half, row, 0, 0, 2, 1);
  EXPECT_EQ(half.pixel(0, 0), rgb(15, 0, 0));
  EXPECT_EQ(half.pixel(1, 0), rgb(35, 0, 0));

  // Single-pixel stripes at an uneven ratio: picking pixels would give pure black and white.
  Surface stripes(640, 4);
  for (int x = 0; x < 640; x += 2) stripes.fill({x, 0, 1, 4}, 0xFFFFFF);
  Surface small(213, 2);
  paint_picture(small, stripes, 0, 0, 213, 2);
  for (int x = 0; x < 213; ++x) {
    EXPECT_GT(channel(small.pixel(x, 1), 8), 60) << x;
    EXPECT_LT(channel(small.pixel(x, 1), 8), 195) << x;
  }
}

// A clipped painting shows the same pixels as the matching part of an unclipped one.
TEST(PaintPictureTest, ClippingCutsWithoutShiftingThePicture) {
  const Surface picture = numbered(5, 3, 0x200000);
  Surface whole(40, 30);
  paint_picture(whole, picture, 0, 0, 40, 30);
  for (auto [x, y] : {std::pair{-7, -5}, {12, 9}, {-30, 20}}) {
    Surface clipped(20, 15, 0xEEEEEE);
    paint_picture(clipped, picture, x, y, 40, 30);
    for (int cy = 0; cy < 15; ++cy) {
      for (int cx = 0; cx < 20; ++cx) {
        const bool inside = cx - x >= 0 && cx - x < 40 && cy - y >= 0 && cy - y < 30;
        EXPECT_EQ(clipped.pixel(cx, cy), inside ? whole.pixel(cx - x, cy - y) : 0xEEEEEEu)
            << "offset " << x << "," << y << " at " << cx << "," << cy;
      }
    }
  }
}

TEST(PaintPictureTest, AtItsOwnSizeAPictureIsCopiedPixelForPixelAlsoWhenClipped) {
  const Surface picture = numbered(30, 20, 0x200000);
  Surface painted(25, 25, 0xEEEEEE);
  Surface copied = painted;
  paint_picture(painted, picture, -4, 7, 30, 20);
  bitblt(copied, -4, 7, 30, 20, picture, 0, 0, SRCCOPY);
  EXPECT_TRUE(same_pixels(painted, copied));
}

TEST(PaintPictureTest, NothingToDrawLeavesTheSurfaceAlone) {
  Surface destination(4, 4, 0x777777);
  destination.track_changes(true);
  paint_picture(destination, Surface(), 0, 0, 4, 4);
  paint_picture(destination, Surface(2, 2, 0xFFFFFF), 0, 0, 0, 4);
  paint_picture(destination, Surface(2, 2, 0xFFFFFF), 4, 0, 4, 4);
  EXPECT_TRUE(same_pixels(destination, Surface(4, 4, 0x777777)));
  EXPECT_TRUE(destination.take_changes().empty());
}

TEST(SurfaceChangesTest, RecordsTheClippedAreaOfEveryWrite) {
  Surface screen(100, 80);
  const Surface source(30, 30, 0xFFFFFF);
  screen.fill({0, 0, 10, 10}, 1);
  EXPECT_TRUE(screen.take_changes().empty()) << "nothing is recorded before tracking starts";

  screen.track_changes(true);
  screen.fill({-5, -5, 10, 10}, 1);
  bitblt(screen, 90, 70, 30, 30, source, 0, 0, SRCCOPY);
  bitblt(screen, 10, 10, 30, 30, source, 20, 25, SRCAND);
  paint_picture(screen, source, 50, -10, 20, 20);
  const std::vector<Area> expected = {{0, 0, 5, 5}, {90, 70, 10, 10}, {10, 10, 10, 5}, {50, 0, 20, 10}};
  EXPECT_EQ(areas(screen.take_changes()), expected);
  EXPECT_TRUE(screen.take_changes().empty()) << "taking clears the list";

  screen.track_changes(false);
  screen.fill({0, 0, 10, 10}, 1);
  screen.track_changes(true);
  EXPECT_TRUE(screen.take_changes().empty());
}

TEST(SurfaceChangesTest, ACopyRecordsOnlyTheRowsItChanges) {
  Surface screen(100, 80, 0x333333);
  Surface clean(100, 80, 0x333333);
  clean.fill({20, 30, 10, 5}, 0xFFFFFF);
  clean.fill({60, 50, 10, 2}, 0xFFFFFF);
  screen.track_changes(true);
  bitblt(screen, 0, 0, 100, 80, clean, 0, 0, SRCCOPY);
  EXPECT_TRUE(same_pixels(screen, clean));
  EXPECT_EQ(areas(screen.take_changes()), (std::vector<Area>{{0, 30, 100, 5}, {0, 50, 100, 2}}));
  bitblt(screen, 0, 0, 100, 80, clean, 0, 0, SRCCOPY);
  EXPECT_TRUE(screen.take_changes().empty()) << "the same pixels again change nothing";
}

TEST(SurfaceChangesTest, AssigningCountsAsAChangeOfTheWholeNewSurface) {
  Surface screen(100, 80);
  screen.track_changes(true);
  screen.fill({90, 70, 10, 10}, 1);
  screen.assign(numbered(30, 20, 0));
  EXPECT_TRUE(same_pixels(screen, numbered(30, 20, 0)));
  EXPECT_EQ(areas(screen.take_changes()), (std::vector<Area>{{0, 0, 30, 20}}));
  screen.fill({1, 1, 1, 1}, 2);
  EXPECT_EQ(screen.take_changes().size(), 1u) << "tracking stays on";
}

// However many writes come in, the list stays short and still covers every changed pixel.
TEST(SurfaceChangesTest, ManyChangesStayBoundedAndCoverEverything) {
  Surface screen(640, 480);
  screen.track_changes(true);
  std::vector<Rect> written;
  for (int i = 0; i < 1000; ++i) {
    written.push_back({(i * 37) % 630, (i * 53) % 470, 1 + i % 9, 1 + i % 7});
    screen.fill(written.back(), static_cast<Pixel>(i));
  }
  const std::vector<Rect> changes = screen.take_changes();
  EXPECT_LE(changes.size(), 64u);
  for (const Rect& w : written) {
    const bool covered = std::any_of(changes.begin(), changes.end(), [&](const Rect& c) {
      return w.left >= c.left && w.top >= c.top && w.left + w.width <= c.left + c.width &&
             w.top + w.height <= c.top + c.height;
    });
    EXPECT_TRUE(covered) << w.left << "," << w.top;
  }
}

// Two equal surfaces written apart differ only inside the areas each lists, however many writes,
// so copying those areas makes them equal again.
TEST(SurfaceWritesTest, CopyingTheWrittenAreasOfTwoSurfacesMakesThemEqualAgain) {
  Surface shown = numbered(640, 480, 0);
  shown.track_changes(true);
  Surface clean = shown;
  EXPECT_EQ(areas(clean.writes()), (std::vector<Area>{{0, 0, 640, 480}})) << "unknown until forgotten";
  shown.forget_writes();
  clean.forget_writes();
  const Surface source = numbered(640, 480, 1u << 20);
  for (int i = 0; i < 40; ++i) {
    Surface& target = i % 3 == 0 ? clean : shown;
    bitblt(target, (i * 97) % 600, (i * 61) % 440, 30 + i % 20, 25, source, i, i, i % 5 == 0 ? SRCPAINT : SRCCOPY);
  }
  EXPECT_LE(shown.writes().size(), 8u);
  std::vector<Rect> differing = shown.writes();
  differing.insert(differing.end(), clean.writes().begin(), clean.writes().end());
  for (const Rect& r : differing) bitblt(shown, r.left, r.top, r.width, r.height, clean, r.left, r.top, SRCCOPY);
  EXPECT_TRUE(same_pixels(shown, clean));
}

}  // namespace
}  // namespace quarlyn
