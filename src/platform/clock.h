// Arithmetic on the millisecond clock.
//
// The clock is a 32-bit counter read as a signed number, so it jumps from its largest positive
// value to its most negative one every 2^31 ms. Every reader compares times through these
// helpers, which work on the difference of two readings and so stay right across the jump
// (for spans shorter than about 24.8 days).
#pragma once

#include <cstdint>

namespace quarlyn {

// `time` plus `ms`, wrapping like the clock does.
constexpr int32_t clock_add(int32_t time, int32_t ms) {
  return static_cast<int32_t>(static_cast<uint32_t>(time) + static_cast<uint32_t>(ms));
}

// Signed milliseconds from `from` to `to`; negative when `to` lies before `from`.
constexpr int32_t clock_diff(int32_t to, int32_t from) {
  return static_cast<int32_t>(static_cast<uint32_t>(to) - static_cast<uint32_t>(from));
}

// True once `now` has reached `deadline`.
constexpr bool clock_reached(int32_t now, int32_t deadline) { return clock_diff(now, deadline) >= 0; }

}  // namespace quarlyn
