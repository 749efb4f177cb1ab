#include "saver/random_chances.h"

#include <cmath>

namespace quarlyn {

namespace {

constexpr int16_t kTrue = -1;
constexpr int16_t kFalse = 0;

int16_t chance_below(Runtime& runtime, int32_t limit) {
  runtime.randomize();
  return random_whole(runtime, 1000) < limit ? kTrue : kFalse;
}

}  // namespace

int32_t random_whole(Runtime& runtime, int32_t range) {
  return static_cast<int32_t>(std::floor(range * runtime.rnd() + 1));
}

int16_t random_chance_500(Runtime& runtime) { return chance_below(runtime, 500); }

int16_t random_chance_200(Runtime& runtime) { return chance_below(runtime, 200); }

}  // namespace quarlyn
