// Small sound-synthesis kit: stereo buffers, oscillators, envelopes, filters and a room reverb.
#pragma once

#include <cstddef>
#include <numbers>
#include <vector>

namespace quarlyn {

constexpr int kSampleRate = 44100;
constexpr float kPi = std::numbers::pi_v<float>;

size_t frames_in(double seconds);
float key_frequency(int key);  // MIDI key number to hertz, A4 = 440

using Samples = std::vector<float>;

struct Stereo {
  Samples left;
  Samples right;

  explicit Stereo(size_t frames) : left(frames), right(frames) {}
  size_t frames() const { return left.size(); }
  // Adds a mono voice from `at_seconds` on, equal-power panned from -1 (left) to 1 (right).
  void mix(const Samples& voice, double at_seconds, float gain, float pan);
  void scale(float gain);
  float peak() const;
};

// Smooth 0-1 rise over `rise` seconds, for onsets that must not click.
float rise(float t, float rise);
// exp(-t / tau): the natural fading of struck and plucked things.
float decay(float t, float tau);

// Fills `seconds` of samples with sample(t), t in seconds from the start. Voices are cut at a
// fixed length, so the last few milliseconds are tapered to keep that cut from clicking.
template <typename Sample>
Samples render(double seconds, Sample sample) {
  constexpr float kTaper = 0.005f;
  Samples out(frames_in(seconds));
  for (size_t i = 0; i < out.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    float left = static_cast<float>(out.size() - i) / kSampleRate;
    out[i] = sample(t) * rise(left, kTaper);
  }
  return out;
}

// A sine oscillator whose frequency may change every sample without clicks.
class Oscillator {
 public:
  float next(float frequency, float phase_offset = 0);

 private:
  double phase_ = 0;
};

// Attack, decay to a sustain level while held, then release; all times in seconds.
struct Adsr {
  float attack;
  float decay;
  float sustain;
  float release;
  float level(float t, float held) const;
};

// A two-pole filter (RBJ cookbook); the band-pass can be retuned every sample for sweeps.
class Biquad {
 public:
  void band_pass(float frequency, float q);
  void low_pass(float frequency, float q);
  void high_pass(float frequency, float q);
  float process(float x);

 private:
  void set(float b0, float b1, float b2, float a0, float a1, float a2);
  float b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
  float x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// A Schroeder room: parallel damped combs into all-passes, slightly different per side.
void add_reverb(Stereo& sound, float room_size, float damping, float wet);

// Raised-cosine fade-in over the first `fade_in` seconds and fade-out ending at `end_seconds`;
// everything after `end_seconds` becomes silence.
void shape_edges(Stereo& sound, double fade_in, double fade_out, double end_seconds);

}  // namespace quarlyn
