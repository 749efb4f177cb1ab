#include "effects.h"

#include <cmath>

#include "random.h"

namespace quarlyn {
namespace {

// Applies `envelope(t)` and a filter to noise: the unpitched part of hits and swooshes.
template <typename Envelope>
Samples shaped_noise(double seconds, uint32_t seed, Biquad filter, Envelope envelope) {
  Random random(seed);
  return render(seconds, [&](float t) { return filter.process(random.bipolar()) * envelope(t); });
}

// A struck metal bar: the fundamental rings, the inharmonic overtone dies fast.
Samples chime(float frequency, float tau) {
  Oscillator fundamental;
  Oscillator overtone;
  return render(tau * 6, [&](float t) {
    float ring = fundamental.next(frequency) + 0.4f * overtone.next(frequency * 2.76f) * decay(t, tau * 0.3f);
    return ring * rise(t, 0.002f) * decay(t, tau);
  });
}

// Chowning-style FM brass: the modulation index follows the envelope, so the tone brightens
// as it swells; vibrato creeps in on held notes.
Samples brass(float frequency, float held) {
  Oscillator carrier;
  Oscillator modulator;
  Oscillator vibrato;
  const Adsr envelope{0.035f, 0.25f, 0.7f, 0.12f};
  return render(held + 0.6, [&](float t) {
    float level = envelope.level(t, held);
    float pitch = frequency * (1 + 0.005f * rise(t, 0.3f) * vibrato.next(5.3f));
    return carrier.next(pitch, (0.6f + 2.6f * level) * modulator.next(pitch)) * level;
  });
}

Samples sparkle(float frequency, float tau) {
  Oscillator tone;
  Oscillator octave;
  return render(tau * 6, [&](float t) {
    return (tone.next(frequency) + 0.3f * octave.next(frequency * 2)) * rise(t, 0.001f) * decay(t, tau);
  });
}

}  // namespace

Stereo rotation_click(double seconds) {
  Stereo sound(frames_in(seconds));
  Oscillator carrier;
  Oscillator modulator;
  Samples blip = render(0.1, [&](float t) {
    float pitch = 1250 + 500 * decay(t, 0.012f);  // a tiny downward chirp reads as "turn"
    float tone = carrier.next(pitch, 1.1f * decay(t, 0.01f) * modulator.next(pitch * 2));
    return tone * rise(t, 0.0015f) * decay(t, 0.018f);
  });
  Biquad click;
  click.band_pass(4000, 1.2f);
  Samples tick = shaped_noise(0.02, 11, click, [](float t) { return decay(t, 0.0015f); });
  sound.mix(blip, 0, 0.8f, 0.1f);
  sound.mix(tick, 0, 0.5f, 0.1f);
  add_reverb(sound, 0.6f, 0.5f, 0.12f);
  return sound;
}

Stereo row_cleared(double seconds) {
  Stereo sound(frames_in(seconds));
  Biquad sweep;
  Random random(21);
  Samples hiss = render(0.15, [&](float t) {
    sweep.band_pass(700 * std::pow(11.0f, t / 0.14f), 2.5f);  // up more than three octaves
    return sweep.process(random.bipolar()) * rise(t, 0.06f) * rise(0.15f - t, 0.05f);
  });
  sound.mix(hiss, 0, 1.2f, 0);
  const int keys[] = {88, 92, 95, 100};  // E6, G#6, B6, E7: a bright major arpeggio
  for (int i = 0; i < 4; ++i) sound.mix(chime(key_frequency(keys[i]), 0.05f), 0.02 + 0.024 * i, 0.3f, -0.6f + 0.4f * i);
  add_reverb(sound, 0.7f, 0.3f, 0.2f);
  return sound;
}

// Pieces land every second or so for as long as the saver runs: a short, soft knock that is
// over in 150 ms, with only a little low thump under it.
Stereo piece_landed(double seconds) {
  Stereo sound(frames_in(seconds));
  Oscillator low;
  Samples thump =
      render(0.1, [&](float t) { return low.next(75 + 70 * decay(t, 0.015f)) * rise(t, 0.002f) * decay(t, 0.025f); });
  Oscillator mode1;
  Oscillator mode2;
  Oscillator mode3;
  Samples knock = render(0.1, [&](float t) {
    float wood = mode1.next(420) * decay(t, 0.02f) + 0.5f * mode2.next(810) * decay(t, 0.011f) +
                 0.25f * mode3.next(1370) * decay(t, 0.006f);
    return wood * rise(t, 0.001f);
  });
  Biquad soft;
  soft.low_pass(1800, 0.7f);
  Samples contact = shaped_noise(0.02, 31, soft, [](float t) { return decay(t, 0.003f); });
  sound.mix(thump, 0, 0.5f, 0);
  sound.mix(knock, 0.001, 0.6f, -0.1f);
  sound.mix(contact, 0, 0.3f, 0);
  add_reverb(sound, 0.3f, 0.7f, 0.05f);
  shape_edges(sound, 0, 0.04, 0.15);
  return sound;
}

Stereo four_rows_fanfare(double seconds) {
  Stereo sound(frames_in(seconds));
  const int run[] = {67, 72, 76, 79};  // G4 C5 E5 G5 leading up to the chord
  for (int i = 0; i < 4; ++i) sound.mix(brass(key_frequency(run[i]), 0.07f), 0.11 * i, 0.35f, -0.3f + 0.2f * i);
  const int chord[] = {48, 60, 67, 72, 76, 79, 84};  // C major, wide open
  const float pans[] = {0, -0.2f, 0.4f, -0.5f, 0.5f, -0.3f, 0.2f};
  for (int i = 0; i < 7; ++i) {
    float detune = 1 + 0.0015f * static_cast<float>(i % 3 - 1);  // a section, not one player
    sound.mix(brass(key_frequency(chord[i]) * detune, 0.95f), 0.45, i == 0 ? 0.3f : 0.2f, pans[i]);
  }
  Oscillator drum;
  Samples boom = render(0.8, [&](float t) { return drum.next(65 + 40 * decay(t, 0.05f)) * decay(t, 0.25f); });
  sound.mix(boom, 0.45, 0.5f, 0);
  Random random(41);
  const int bright[] = {96, 98, 100, 103, 105, 108};  // C major pentatonic, up high
  for (int i = 0; i < 28; ++i) {
    float frequency = key_frequency(bright[static_cast<size_t>(random.uniform() * 6)]);
    double at = 0.45 + 1.05 * random.uniform();
    sound.mix(sparkle(frequency, 0.04f + 0.05f * random.uniform()), at, 0.05f + 0.05f * random.uniform(),
              random.bipolar());
  }
  add_reverb(sound, 0.8f, 0.35f, 0.3f);
  return sound;
}

}  // namespace quarlyn
