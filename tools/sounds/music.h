// Music written in scale degrees, so a tune is composed once and set in any key and mode.
#pragma once

#include <array>
#include <string_view>
#include <vector>

namespace quarlyn {

enum class Mode { kMajor, kMinor, kDorian };

class Scale {
 public:
  Scale(int tonic, Mode mode);
  // The key of a 1-based degree; degrees past 7 or below 1 run on into the neighbouring octaves.
  int key(int degree) const;
  // The nearest key of the scale strictly above (direction 1) or below (-1) `from`.
  int step(int from, int direction) const;

 private:
  int tonic_;
  std::array<int, 7> steps_;
};

struct Note {
  double beat;
  double length;
  int key;
  int velocity;
};

// Melody notation, whitespace-separated tokens: a degree 1-7 (or r, a rest), optionally after
// # or b, then ' or , marks for an octave up or down each, then :N for N units (default 1).
// "|" is a bar line, checked to fall a whole number of bars after `start`, which catches a
// miscounted bar at build time.
std::vector<Note> phrase(const Scale& scale, std::string_view text, double start, double unit, double bar_beats,
                         int velocity);

struct Chord {
  double beat;
  double length;
  int root;
  std::vector<int> intervals;  // from the root, ascending, root first

  // The index-th chord tone counted up from the lowest root at or above `low`.
  int tone(int index, int low) const;
  // `count` chord tones in close position, each placed in the octave from `low`.
  std::vector<int> voicing(int low, int count) const;
};

// Progression notation: DEGREE[m|M|s][7][:BEATS] per chord, e.g. "1 6 2m7 5M7:2 5s"; m/M/s
// force a minor, major or suspended-fourth chord instead of the scale's own triad, 7 adds a
// seventh. Each chord lasts `beats_each` unless given.
std::vector<Chord> progression(const Scale& scale, std::string_view text, double start, double beats_each);

}  // namespace quarlyn
