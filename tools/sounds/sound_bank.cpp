// Lays the five effects into one ten-second bank. The game plays each slot on its own, so every
// effect fades in and out inside its slot and the gaps between slots stay exactly zero.
#include <algorithm>
#include <cmath>

#include "effects.h"

namespace quarlyn {
namespace {

struct Slot {
  double begin_ms;
  double end_ms;
  Stereo (*make)(double seconds);
  // Effects sit well below the music, those heard often lowest. The music peaks near -4 dBFS,
  // so even the rewards at -12 dBFS leave the mix below -1 dBFS.
  float peak_db;
  double fade_out_s;  // long enough that a cut at the slot's end never clicks
};

constexpr Slot kSlots[] = {
    {0, 180, rotation_click, -20, 0.02},      {185, 340, row_cleared, -15, 0.015},
    {350, 650, piece_landed, -20, 0.03},      {680, 2600, four_rows_fanfare, -12, 0.08},
    {2700, 9800, high_score_tune, -12, 0.15},
};

constexpr double kBankSeconds = 10.0;
constexpr double kFadeIn = 0.001;
constexpr double kSlotMargin = 0.002;  // silence kept inside each slot's end

}  // namespace

Stereo sound_bank() {
  Stereo bank(frames_in(kBankSeconds));
  for (const Slot& slot : kSlots) {
    double length = (slot.end_ms - slot.begin_ms) / 1000;
    Stereo effect = slot.make(length);
    shape_edges(effect, kFadeIn, slot.fade_out_s, length - kSlotMargin);
    effect.scale(std::pow(10.0f, slot.peak_db / 20) / std::max(effect.peak(), 1e-6f));
    size_t start = frames_in(slot.begin_ms / 1000);
    for (size_t i = 0; i < effect.frames() && start + i < bank.frames(); ++i) {
      bank.left[start + i] = effect.left[i];
      bank.right[start + i] = effect.right[i];
    }
  }
  return bank;
}

}  // namespace quarlyn
