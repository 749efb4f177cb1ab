// Numbers the saver's extras keep loosely (fractions allowed) become pixel coordinates, sizes
// and indexes by rounding to the nearest whole number, halves to the even neighbour.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace quarlyn {

// Within 32 bits; not-a-number counts as 0.
inline int32_t whole(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kLow = std::numeric_limits<int32_t>::min();
  constexpr double kHigh = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(std::nearbyint(value), kLow, kHigh));
}

}  // namespace quarlyn
