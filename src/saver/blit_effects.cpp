#include "saver/blit_effects.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "saver/random_chances.h"
#include "saver/whole_numbers.h"
#include "startup/shell_services.h"

namespace quarlyn {

namespace {

constexpr int kDissolveSide = 40;
constexpr int kDissolveTiles = kDissolveSide * kDissolveSide;
constexpr int32_t kTilePauseMs = 1;
constexpr int32_t kRowPairPauseMs = 6;
constexpr int32_t kColumnPairPauseMs = 4;
constexpr int32_t kPushRowPauseMs = 4;

struct Origin {
  double x;
  double y;
};

void copy_area(Surface& destination, const Surface& source, int x, int y, int w, int h) {
  bitblt(destination, x, y, w, h, source, x, y, SRCCOPY);
}

// Tiles overlap by one pixel each way, so fractional tile sizes leave no gaps.
void dissolve(Saver& saver, const Surface& source, Surface& destination, int width, int height) {
  const double tile_w = width / static_cast<double>(kDissolveSide);
  const double tile_h = height / static_cast<double>(kDissolveSide);
  std::vector<Origin> origins;
  origins.reserve(kDissolveTiles);
  for (int a = 0; a < kDissolveSide; ++a)
    for (int b = 0; b < kDissolveSide; ++b) origins.push_back({b * tile_w, a * tile_h});
  for (int i = 0; i < kDissolveTiles; ++i) {
    const int r = std::clamp(random_whole(saver.runtime, kDissolveTiles), 1, kDissolveTiles);
    std::swap(origins[i], origins[r - 1]);
  }
  const int32_t w = whole(tile_w + 1);
  const int32_t h = whole(tile_h + 1);
  for (const Origin& origin : origins) {
    copy_area(destination, source, whole(origin.x), whole(origin.y), w, h);
    pause_ms(saver.runtime, kTilePauseMs);
  }
}

// Rows from the top and from the bottom at once, every second one: an even height ends with
// every row copied.
void interlaced_rows(Saver& saver, const Surface& source, Surface& destination, int width, int height) {
  for (int i = 0; i <= height; i += 2) {
    copy_area(destination, source, 0, i, width, 1);
    copy_area(destination, source, 0, height - 1 - i, width, 1);
    pause_ms(saver.runtime, kRowPairPauseMs);
  }
}

void interlaced_columns(Saver& saver, const Surface& source, Surface& destination, int width, int height) {
  for (int i = 0; i <= width; i += 2) {
    copy_area(destination, source, i, 0, 1, height);
    copy_area(destination, source, width - 1 - i, 0, 1, height);
    pause_ms(saver.runtime, kColumnPairPauseMs);
  }
}

// The old picture slides down one row at a time while the new one comes in above it.
void push_down(Saver& saver, const Surface& source, Surface& destination, int width, int height) {
  for (int i = 0; i <= height; ++i) {
    bitblt(destination, 0, i + 1, width, height - i, destination, 0, i, SRCCOPY);
    copy_area(destination, source, 0, i, width, 1);
    pause_ms(saver.runtime, kPushRowPauseMs);
  }
}

}  // namespace

void blit_effect(Saver& saver, const Surface& source, Surface& destination, double kind) {
  saver.runtime.randomize();
  const int width = saver.window.screen_width;
  const int height = saver.window.screen_height;
  if (kind == 1) {
    dissolve(saver, source, destination, width, height);
  } else if (kind == 2) {
    interlaced_rows(saver, source, destination, width, height);
  } else if (kind == 3) {
    interlaced_columns(saver, source, destination, width, height);
  } else if (kind == 10) {
    push_down(saver, source, destination, width, height);
  }
}

}  // namespace quarlyn
