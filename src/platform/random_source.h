// The game's random draws: uniform numbers R with 0 <= R < 1, re-seeded from the clock.
//
// A re-seed mixes the clock reading with a count of re-seeds, so two re-seeds within the same
// millisecond still give different draws.
#pragma once

#include <cstdint>

namespace quarlyn {

class RandomSource {
 public:
  void reseed(int32_t clock_ms);
  double draw();

 private:
  static uint64_t mix(uint64_t value);

  uint64_t state_ = 0x853c49e6748fea9bULL;
  uint64_t reseeds_ = 0;
};

}  // namespace quarlyn
