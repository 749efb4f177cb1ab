#include "saver/blit_effects.h"

#include <gtest/gtest.h>

#include "saver/saver_test_support.h"

namespace quarlyn {
namespace {

class BlitEffectTest : public ::testing::Test {
 protected:
  // Source and destination of the screen's size, every pixel telling its place and picture.
  void screen_size(int width, int height) {
    h.saver.window.screen_width = width;
    h.saver.window.screen_height = height;
    source = Surface(width, height);
    destination = Surface(width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        source.set_pixel(x, y, rgb(1, static_cast<uint8_t>(x), static_cast<uint8_t>(y)));
        destination.set_pixel(x, y, rgb(2, static_cast<uint8_t>(x), static_cast<uint8_t>(y)));
      }
    }
  }
  // Runs the transition; returns the milliseconds it took on the virtual clock.
  int32_t run(double kind) {
    const int32_t start = h.runtime.time_get_time();
    blit_effect(h.saver, source, destination, kind);
    return h.runtime.time_get_time() - start;
  }

  testing::SaverHarness h;
  Surface source;
  Surface destination;
};

TEST_F(BlitEffectTest, EveryTransitionEndsWithTheSourcePacedByItsPauses) {
  struct Case {
    int width, height;
    double kind;
    int32_t least_ms;
  };
  const Case cases[] = {
      {800, 600, 1, 1600},     {800, 600, 2, 6 * 301}, {800, 600, 3, 4 * 401}, {64, 48, 10, 4 * 49},
      {64, 48, 2, 6 * 25},     {64, 48, 3, 4 * 33},    {65, 49, 1, 1600},      {65, 49, 10, 4 * 50},
      {1024, 768, 1, 1600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " kind " << c.kind);
    screen_size(c.width, c.height);
    EXPECT_GE(run(c.kind), c.least_ms);
    EXPECT_TRUE(testing::same_pixels(destination, source));
  }
}

TEST_F(BlitEffectTest, OtherKindsChangeNothingButStillReseed) {
  screen_size(64, 48);
  const Surface before = destination;
  for (double kind : {0.0, 4.0, 9.0, 1.5, -1.0}) EXPECT_EQ(run(kind), 0);
  EXPECT_TRUE(testing::same_pixels(destination, before));
  EXPECT_EQ(h.runtime.randomize_calls, 5);
}

TEST_F(BlitEffectTest, DissolveOn800x600CopiesTilesOf21x16AtTheGridOf20x15) {
  screen_size(800, 600);
  destination.track_changes(true);
  std::vector<Rect> first_tile;
  h.runtime.after(0, [&] { first_tile = destination.take_changes(); });
  run(1);
  ASSERT_EQ(first_tile.size(), 1u);
  const Rect& tile = first_tile[0];
  EXPECT_EQ(tile.left % 20, 0);
  EXPECT_EQ(tile.top % 15, 0);
  EXPECT_EQ(tile.width, tile.left == 780 ? 20 : 21);
  EXPECT_EQ(tile.height, tile.top == 585 ? 15 : 16);
}

TEST_F(BlitEffectTest, PushDownMovesTheOldPictureDownWholeBeforeTheNewRowComesIn) {
  screen_size(64, 48);
  const Surface old = destination;
  Surface after_first_row;
  h.runtime.after(0, [&] { after_first_row = destination; });
  run(10);
  for (int y = 1; y < 48; ++y) EXPECT_EQ(after_first_row.pixel(10, y), old.pixel(10, y - 1)) << "row " << y;
  EXPECT_EQ(after_first_row.pixel(10, 0), source.pixel(10, 0));
}

}  // namespace
}  // namespace quarlyn
