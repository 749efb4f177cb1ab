// A tiny deterministic generator: the same sounds and music come out of every build.
#pragma once

#include <cstdint>

namespace quarlyn {

class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed * 2654435761u + 0x9e3779b9u) {}

  // Uniform in [0, 1).
  float uniform() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<float>(state_ >> 8) / 16777216.0f;
  }
  // Uniform in [-1, 1).
  float bipolar() { return uniform() * 2.0f - 1.0f; }

 private:
  uint32_t state_;
};

}  // namespace quarlyn
