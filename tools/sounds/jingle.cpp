// The high-score tune: four bars in C major at a bright pace, written with the composition
// toolkit and played by small synthesised instruments.
#include "arrangement.h"
#include "effects.h"

namespace quarlyn {
namespace {

constexpr double kSecondsPerBeat = 60.0 / 150;
const Scale kC(72, Mode::kMajor);

constexpr std::string_view kChords = "1:2 6:2 4:2 5:2 1:2 6:2 4:1 5:1 1:2";
constexpr std::string_view kTune =
    "| 1:1 3:1 5:1 1':1 7:1 5:1 6:2 | 6:1 4:1 6:1 1':1 7:1 5:1 2':2 "
    "| 3':1 2':1 1':1 5:1 6:1 1':1 3':2 | 4':1 3':1 2':1 7:1 1':4 |";

// An FM mallet: bright at the strike, mellowing as the modulation fades.
Samples mallet(float frequency, float held) {
  Oscillator carrier;
  Oscillator modulator;
  Oscillator tine;
  return render(held + 0.5, [&](float t) {
    float body = carrier.next(frequency, 1.8f * decay(t, 0.12f) * modulator.next(frequency));
    float ping = 0.12f * tine.next(frequency * 4) * decay(t, 0.03f);
    float release = t > held ? decay(t - held, 0.08f) : 1.0f;
    return (body + ping) * rise(t, 0.003f) * decay(t, 0.6f) * release;
  });
}

Samples pluck_bass(float frequency, float held) {
  Oscillator fundamental;
  Oscillator second;
  return render(held + 0.2, [&](float t) {
    float tone = fundamental.next(frequency) + 0.35f * second.next(frequency * 2) * decay(t, 0.08f);
    float release = t > held ? decay(t - held, 0.04f) : 1.0f;
    return tone * rise(t, 0.004f) * decay(t, 0.35f) * release;
  });
}

// Soft organ-like chord tones: a sine with a whisper of its third harmonic.
Samples soft_pad(float frequency, float held) {
  Oscillator fundamental;
  Oscillator third;
  return render(held + 1.0, [&](float t) {
    float release = t > held ? decay(t - held, 0.2f) : 1.0f;
    return (fundamental.next(frequency) + 0.12f * third.next(frequency * 3)) * rise(t, 0.02f) * release;
  });
}

// Kick (36), snare (38) or closed hi-hat (anything else), at roughly matched loudness.
Samples drum(int key, uint32_t seed) {
  Oscillator body;
  Biquad filter;
  Random random(seed);
  if (key == 36) {
    return render(0.5, [&](float t) { return body.next(48 + 100 * decay(t, 0.02f)) * decay(t, 0.07f); });
  }
  if (key == 38) {
    filter.band_pass(1800, 0.8f);
    return render(0.4, [&](float t) {
      return 0.8f * filter.process(random.bipolar()) * decay(t, 0.05f) + 0.4f * body.next(190) * decay(t, 0.03f);
    });
  }
  filter.high_pass(7000, 0.7f);
  return render(0.1, [&](float t) { return 0.4f * filter.process(random.bipolar()) * decay(t, 0.015f); });
}

// Places every note of a part with the given instrument.
template <typename Voice>
void perform(Stereo& sound, const Part& part, Voice voice, float gain, float pan) {
  for (const Note& note : part.notes()) {
    float strength = gain * static_cast<float>(note.velocity) / 100.0f;
    sound.mix(voice(note), note.beat * kSecondsPerBeat, strength, pan);
  }
}

}  // namespace

Stereo high_score_tune(double seconds) {
  Part lead("lead", 0, 0, kFourFour);
  Part bass("bass", 1, 0, kFourFour);
  Part chords("chords", 2, 0, kFourFour);
  Part drums("drums", 3, 0, kFourFour);
  lead.feel(6, 4, 0.9).melody(kC, kTune, 0, 90);
  std::vector<Chord> harmony = progression(kC, kChords, 0, 2);
  std::vector<Chord> last = {harmony.back()};
  harmony.pop_back();
  bass.feel(4, 0, 0.8).pattern(harmony, 36, "0 0 2 o", 0.5, 90);
  bass.pad(last, 36, 1, 96);
  chords.feel(4, 0, 0.7).pattern(harmony, 60, ".x.x", 0.5, 70, 3);
  chords.pad(last, 60, 4, 74);
  drums.hits(0, last[0].beat, 36, "x.x.", 1, 90);
  drums.hits(0, last[0].beat, 38, ".x.x", 1, 80);
  drums.hits(0, last[0].beat, 42, "xo", 0.5, 70);
  drums.hits(last[0].beat, last[0].beat + 1, 36, "x", 1, 100);
  Stereo sound(frames_in(seconds));
  auto seconds_of = [](const Note& note) { return static_cast<float>(note.length * kSecondsPerBeat); };
  perform(
      sound, lead, [&](const Note& n) { return mallet(key_frequency(n.key), seconds_of(n)); }, 0.5f, 0.1f);
  perform(
      sound, bass, [&](const Note& n) { return pluck_bass(key_frequency(n.key), seconds_of(n)); }, 0.45f, -0.1f);
  perform(
      sound, chords, [&](const Note& n) { return soft_pad(key_frequency(n.key), seconds_of(n)); }, 0.07f, -0.35f);
  uint32_t seed = 0;
  perform(
      sound, drums, [&](const Note& n) { return drum(n.key, ++seed); }, 0.3f, 0.2f);
  add_reverb(sound, 0.75f, 0.6f, 0.25f);
  return sound;
}

}  // namespace quarlyn
