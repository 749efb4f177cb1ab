#include "platform/random_source.h"

namespace quarlyn {

// The SplitMix64 finaliser: consecutive inputs give well-mixed, independent-looking outputs.
uint64_t RandomSource::mix(uint64_t value) {
  value += 0x9e3779b97f4a7c15ULL;
  value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ULL;
  value = (value ^ (value >> 27)) * 0x94d049bb133111ebULL;
  return value ^ (value >> 31);
}

void RandomSource::reseed(int32_t clock_ms) {
  ++reseeds_;
  state_ = mix(static_cast<uint32_t>(clock_ms)) ^ mix(reseeds_ << 32);
}

double RandomSource::draw() {
  // 53 random bits give every double in [0, 1) on a grid of 2^-53, never 1 itself.
  return static_cast<double>(mix(state_++) >> 11) * 0x1.0p-53;
}

}  // namespace quarlyn
