#include "dsp.h"

#include <algorithm>
#include <cmath>

namespace quarlyn {

size_t frames_in(double seconds) { return static_cast<size_t>(std::lround(std::max(seconds, 0.0) * kSampleRate)); }

float key_frequency(int key) { return 440.0f * std::pow(2.0f, static_cast<float>(key - 69) / 12.0f); }

void Stereo::mix(const Samples& voice, double at_seconds, float gain, float pan) {
  float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * kPi / 4;
  float left_gain = gain * std::cos(angle) * std::sqrt(2.0f);
  float right_gain = gain * std::sin(angle) * std::sqrt(2.0f);
  size_t start = frames_in(at_seconds);
  for (size_t i = 0; i < voice.size() && start + i < frames(); ++i) {
    left[start + i] += voice[i] * left_gain;
    right[start + i] += voice[i] * right_gain;
  }
}

void Stereo::scale(float gain) {
  for (float& sample : left) sample *= gain;
  for (float& sample : right) sample *= gain;
}

float Stereo::peak() const {
  float peak = 0;
  for (float sample : left) peak = std::max(peak, std::abs(sample));
  for (float sample : right) peak = std::max(peak, std::abs(sample));
  return peak;
}

float Oscillator::next(float frequency, float phase_offset) {
  float value = std::sin(static_cast<float>(2 * std::numbers::pi * phase_) + phase_offset);
  phase_ += static_cast<double>(frequency) / kSampleRate;
  phase_ -= std::floor(phase_);
  return value;
}

float Adsr::level(float t, float held) const {
  if (t < 0) return 0;
  float on = t < attack ? t / attack : sustain + (1 - sustain) * std::exp(-(t - attack) / decay);
  if (t <= held) return on;
  float at_release = held < attack ? held / attack : sustain + (1 - sustain) * std::exp(-(held - attack) / decay);
  return at_release * std::exp(-(t - held) / release);
}

float rise(float t, float rise) { return t >= rise ? 1.0f : 0.5f - 0.5f * std::cos(kPi * std::max(t, 0.0f) / rise); }

float decay(float t, float tau) { return std::exp(-std::max(t, 0.0f) / tau); }

void Biquad::set(float b0, float b1, float b2, float a0, float a1, float a2) {
  b0_ = b0 / a0;
  b1_ = b1 / a0;
  b2_ = b2 / a0;
  a1_ = a1 / a0;
  a2_ = a2 / a0;
}

void Biquad::band_pass(float frequency, float q) {
  float w = 2 * kPi * frequency / kSampleRate;
  float alpha = std::sin(w) / (2 * q);
  set(alpha, 0, -alpha, 1 + alpha, -2 * std::cos(w), 1 - alpha);
}

void Biquad::low_pass(float frequency, float q) {
  float w = 2 * kPi * frequency / kSampleRate;
  float alpha = std::sin(w) / (2 * q);
  float c = std::cos(w);
  set((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::high_pass(float frequency, float q) {
  float w = 2 * kPi * frequency / kSampleRate;
  float alpha = std::sin(w) / (2 * q);
  float c = std::cos(w);
  set((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

float Biquad::process(float x) {
  float y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
  x2_ = x1_;
  x1_ = x;
  y2_ = y1_;
  y1_ = y;
  return y;
}

namespace {

// One side of the room; `spread` lengthens every delay a little to decorrelate the sides.
Samples room_side(const Samples& input, float room_size, float damping, int spread) {
  const int combs[] = {1116, 1188, 1277, 1356};
  const int all_passes[] = {556, 441};
  Samples wet(input.size());
  for (int length : combs) {
    Samples line(static_cast<size_t>(length + spread));
    float low = 0;
    for (size_t i = 0; i < input.size(); ++i) {
      float& slot = line[i % line.size()];
      low = slot * (1 - damping) + low * damping;
      wet[i] += slot;
      slot = input[i] + low * room_size;
    }
  }
  for (int length : all_passes) {
    Samples line(static_cast<size_t>(length + spread));
    for (size_t i = 0; i < wet.size(); ++i) {
      float& slot = line[i % line.size()];
      float out = slot - wet[i];
      slot = wet[i] + slot * 0.5f;
      wet[i] = out;
    }
  }
  return wet;
}

}  // namespace

void add_reverb(Stereo& sound, float room_size, float damping, float wet) {
  Samples input(sound.frames());
  for (size_t i = 0; i < input.size(); ++i) input[i] = (sound.left[i] + sound.right[i]) * 0.5f;
  Samples left = room_side(input, room_size, damping, 0);
  Samples right = room_side(input, room_size, damping, 23);
  for (size_t i = 0; i < input.size(); ++i) {
    sound.left[i] += left[i] * wet * 0.25f;
    sound.right[i] += right[i] * wet * 0.25f;
  }
}

void shape_edges(Stereo& sound, double fade_in, double fade_out, double end_seconds) {
  size_t end = std::min(frames_in(end_seconds), sound.frames());
  size_t in = frames_in(fade_in);
  size_t out = std::min(frames_in(fade_out), end);
  for (size_t i = 0; i < sound.frames(); ++i) {
    float gain = 1;
    if (i < in) gain *= rise(static_cast<float>(i), static_cast<float>(in));
    if (i >= end)
      gain = 0;
    else if (i + out >= end)
      gain *= rise(static_cast<float>(end - i - 1), static_cast<float>(out));
    sound.left[i] *= gain;
    sound.right[i] *= gain;
  }
}

}  // namespace quarlyn
