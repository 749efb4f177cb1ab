// Two random truth values, each drawn from a freshly re-seeded generator.
#pragma once

#include <cstdint>

#include "platform/runtime.h"

namespace quarlyn {

// A whole number 1..`range` from one draw: Int(range * R + 1).
int32_t random_whole(Runtime& runtime, int32_t range);

// True (-1) with chance 499 in 1000, else False (0).
int16_t random_chance_500(Runtime& runtime);
// True (-1) with chance 199 in 1000, else False (0).
int16_t random_chance_200(Runtime& runtime);

}  // namespace quarlyn
