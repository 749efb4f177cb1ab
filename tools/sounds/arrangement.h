// Parts and songs: notes placed in beats (quarter notes), humanised, then written as MIDI.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "music.h"
#include "random.h"

namespace quarlyn {

constexpr int kDrumChannel = 9;
constexpr int kTicksPerBeat = 480;

struct Meter {
  int numerator;
  int denominator;
  double bar_beats;    // quarter notes per bar
  double pulse_beats;  // quarter notes per felt beat: 1 in x/4, 1.5 in 6/8
};

// One instrument on one channel. Velocities lean on strong beats and wander a little, onsets
// wobble by a few ticks, so the parts breathe instead of sounding like a sequencer.
class Part {
 public:
  Part(std::string name, int channel, int program, Meter meter);

  Part& mix(int volume, int pan, int reverb, int chorus = 0);
  Part& feel(int velocity_spread, int timing_ticks, double legato);
  // Delays off-beat eighths by `amount` beats (1/6 gives a triplet swing).
  Part& swing(double amount);
  // Pattern notes ring on to the end of their chord, as with a sustain pedal lifted at each change.
  Part& pedal();

  void play(double beat, double length, int key, int velocity);
  void play(const std::vector<Note>& notes);
  // A phrase in melody notation (see music.h) counted in eighth notes.
  void melody(const Scale& scale, std::string_view text, double start, int velocity);
  // Whole chords held for their length, `count` notes in close position from `low`.
  void pad(const std::vector<Chord>& chords, int low, int count, int velocity);
  // Grid patterns repeated through each chord, one character per `step` beats: digits are
  // chord tones counted up from `low` (0 the root), 'o' the root an octave up, 'a' a semitone
  // below the next chord's root, 'x' the whole chord of `count` notes; '-' holds, '.' rests.
  void pattern(const std::vector<Chord>& chords, int low, std::string_view grid, double step, int velocity,
               int count = 3);
  // A drum line from `start` to `end`: 'X' accented, 'x' normal, 'o' ghost, '.' rest.
  void hits(double start, double end, int key, std::string_view grid, double step, int velocity);

  struct Mix {
    int volume = 100;
    int pan = 64;
    int reverb = 40;
    int chorus = 0;
  };
  const std::string& name() const { return name_; }
  int channel() const { return channel_; }
  int program() const { return program_; }
  const Mix& levels() const { return mix_; }
  const std::vector<Note>& notes() const { return notes_; }

 private:
  double swung(double beat) const;
  int accent(double beat) const;

  std::string name_;
  int channel_;
  int program_;
  Meter meter_;
  Mix mix_;
  int velocity_spread_ = 6;
  int timing_ticks_ = 6;
  double legato_ = 0.92;
  double swing_ = 0;
  bool pedal_ = false;
  Random random_;
  std::vector<Note> notes_;
};

class Song {
 public:
  Song(std::string title, double beats_per_minute, Meter meter, int key_sharps, bool minor);

  Part& part(std::string name, int channel, int program);
  // Tempo eases from the current value to `to_bpm` between two beats.
  void ritardando(double from_beat, double to_beat, double to_bpm);
  double bar(double index) const { return index * meter_.bar_beats; }

  std::vector<uint8_t> midi() const;

 private:
  std::string title_;
  Meter meter_;
  int key_sharps_;
  bool minor_;
  std::vector<std::pair<double, double>> tempi_;  // (beat, quarters per minute)
  std::deque<Part> parts_;                        // a deque keeps handed-out references valid
};

constexpr Meter kFourFour{4, 4, 4.0, 1.0};
constexpr Meter kThreeFour{3, 4, 3.0, 1.0};
constexpr Meter kSixEight{6, 8, 3.0, 1.5};

}  // namespace quarlyn
