#include "platform/random_source.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

namespace quarlyn {
namespace {

TEST(RandomSource, ReseedsInTheSameMillisecondStillGiveNewDraws) {
  RandomSource source;
  std::set<double> first_draws;
  for (int i = 0; i < 100; ++i) {
    source.reseed(123456);
    first_draws.insert(source.draw());
  }
  EXPECT_EQ(first_draws.size(), 100u);
}

TEST(RandomSource, DrawsAreUniformInTheHalfOpenUnitInterval) {
  RandomSource source;
  source.reseed(0);
  std::array<int, 10> buckets{};
  for (int i = 0; i < 100000; ++i) {
    const double draw = source.draw();
    ASSERT_GE(draw, 0.0);
    ASSERT_LT(draw, 1.0);
    ++buckets[static_cast<int>(draw * 10)];
  }
  for (int count : buckets) EXPECT_NEAR(count, 10000, 500);
}

}  // namespace
}  // namespace quarlyn
