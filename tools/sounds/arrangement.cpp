#include "arrangement.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "midi_file.h"

namespace quarlyn {
namespace {

bool near(double value, double grid) {
  double ratio = value / grid;
  return std::abs(ratio - std::round(ratio)) < 1e-6;
}

struct GridHit {
  int step;
  int steps;
  char symbol;
};

struct Grid {
  std::vector<GridHit> hits;
  int steps = 0;
};

Grid parse_grid(std::string_view text) {
  Grid grid;
  for (char symbol : text) {
    if (symbol == ' ' || symbol == '|') continue;
    if (symbol == '-') {
      if (!grid.hits.empty() && grid.hits.back().step + grid.hits.back().steps == grid.steps) ++grid.hits.back().steps;
    } else if (symbol != '.') {
      grid.hits.push_back({grid.steps, 1, symbol});
    }
    ++grid.steps;
  }
  return grid;
}

// Calls visit(beat, length, symbol) for every hit of the grid repeated from `start` to `end`.
template <typename Visit>
void walk_grid(const Grid& grid, double start, double end, double step, Visit visit) {
  if (grid.steps == 0) return;
  for (double origin = start; origin < end - 1e-9; origin += grid.steps * step) {
    for (const GridHit& hit : grid.hits) {
      double beat = origin + hit.step * step;
      if (beat >= end - 1e-9) break;
      visit(beat, std::min(hit.steps * step, end - beat), hit.symbol);
    }
  }
}

std::vector<int> pattern_keys(const Chord& chord, const Chord& next, int low, char symbol, int count) {
  if (symbol >= '0' && symbol <= '9') return {chord.tone(symbol - '0', low)};
  if (symbol == 'o') return {chord.tone(0, low) + 12};
  if (symbol == 'a') return {next.tone(0, low) - 1};
  if (symbol == 'x') return chord.voicing(low, count);
  return {};
}

// FNV-1a: a part's humanising seed comes from its name, the same with every compiler.
uint32_t name_seed(std::string_view name) {
  uint32_t hash = 2166136261u;
  for (char c : name) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
  return hash;
}

uint32_t ticks(double beat) { return static_cast<uint32_t>(std::lround(std::max(beat, 0.0) * kTicksPerBeat)); }

struct TimedNote {
  uint32_t start;
  uint32_t end;
  int key;
  int velocity;
};

// Sorted notes in ticks, each cut short where the same key is struck again.
std::vector<TimedNote> timed_notes(const std::vector<Note>& notes) {
  std::vector<TimedNote> timed;
  for (const Note& note : notes) {
    uint32_t start = ticks(note.beat);
    timed.push_back({start, std::max(ticks(note.beat + note.length), start + 1), note.key, note.velocity});
  }
  std::stable_sort(timed.begin(), timed.end(),
                   [](const TimedNote& a, const TimedNote& b) { return a.start < b.start; });
  std::map<int, size_t> sounding;
  for (size_t i = 0; i < timed.size(); ++i) {
    auto previous = sounding.find(timed[i].key);
    if (previous != sounding.end() && timed[previous->second].end > timed[i].start) {
      timed[previous->second].end = std::max(timed[i].start, timed[previous->second].start + 1);
    }
    sounding[timed[i].key] = i;
  }
  return timed;
}

}  // namespace

Part::Part(std::string name, int channel, int program, Meter meter)
    : name_(std::move(name)), channel_(channel), program_(program), meter_(meter), random_(name_seed(name_)) {}

Part& Part::mix(int volume, int pan, int reverb, int chorus) {
  mix_ = {volume, pan, reverb, chorus};
  return *this;
}

Part& Part::feel(int velocity_spread, int timing_ticks, double legato) {
  velocity_spread_ = velocity_spread;
  timing_ticks_ = timing_ticks;
  legato_ = legato;
  return *this;
}

Part& Part::swing(double amount) {
  swing_ = amount;
  return *this;
}

Part& Part::pedal() {
  pedal_ = true;
  return *this;
}

double Part::swung(double beat) const {
  double whole = std::floor(beat);
  double fraction = beat - whole;
  double middle = 0.5 + swing_;
  return whole + (fraction < 0.5 ? fraction / 0.5 * middle : middle + (fraction - 0.5) / 0.5 * (1 - middle));
}

int Part::accent(double beat) const {
  double in_bar = std::fmod(beat, meter_.bar_beats);
  if (near(in_bar, meter_.bar_beats)) return 8;
  if (near(in_bar, meter_.pulse_beats)) return 3;
  if (near(in_bar, 0.5)) return -2;
  return -5;
}

void Part::play(double beat, double length, int key, int velocity) {
  double start = swung(beat);
  double end = swung(beat + length);
  double jitter = random_.bipolar() * timing_ticks_ / kTicksPerBeat;
  int wobble = static_cast<int>(std::lround(random_.bipolar() * velocity_spread_));
  notes_.push_back({std::max(start + jitter, 0.0), (end - start) * legato_, key,
                    std::clamp(velocity + accent(beat) + wobble, 1, 127)});
}

void Part::play(const std::vector<Note>& notes) {
  for (const Note& note : notes) play(note.beat, note.length, note.key, note.velocity);
}

void Part::melody(const Scale& scale, std::string_view text, double start, int velocity) {
  play(phrase(scale, text, start, 0.5, meter_.bar_beats, velocity));
}

void Part::pad(const std::vector<Chord>& chords, int low, int count, int velocity) {
  for (const Chord& chord : chords) {
    for (int key : chord.voicing(low, count)) play(chord.beat, chord.length, key, velocity);
  }
}

void Part::pattern(const std::vector<Chord>& chords, int low, std::string_view grid, double step, int velocity,
                   int count) {
  Grid parsed = parse_grid(grid);
  for (size_t i = 0; i < chords.size(); ++i) {
    const Chord& chord = chords[i];
    const Chord& next = i + 1 < chords.size() ? chords[i + 1] : chord;
    double end = chord.beat + chord.length;
    walk_grid(parsed, chord.beat, end, step, [&](double beat, double length, char symbol) {
      for (int key : pattern_keys(chord, next, low, symbol, count))
        play(beat, pedal_ ? end - beat : length, key, velocity);
    });
  }
}

void Part::hits(double start, double end, int key, std::string_view grid, double step, int velocity) {
  walk_grid(parse_grid(grid), start, end, step, [&](double beat, double length, char symbol) {
    int strength = symbol == 'X' ? velocity + 18 : symbol == 'o' ? velocity - 28 : velocity;
    play(beat, length, key, strength);
  });
}

Song::Song(std::string title, double beats_per_minute, Meter meter, int key_sharps, bool minor)
    : title_(std::move(title)),
      meter_(meter),
      key_sharps_(key_sharps),
      minor_(minor),
      tempi_{{0.0, beats_per_minute}} {}

Part& Song::part(std::string name, int channel, int program) {
  return parts_.emplace_back(std::move(name), channel, program, meter_);
}

void Song::ritardando(double from_beat, double to_beat, double to_bpm) {
  double from_bpm = tempi_.back().second;
  for (double beat = from_beat; beat < to_beat + 1e-9; beat += 0.5) {
    tempi_.emplace_back(beat, from_bpm + (to_bpm - from_bpm) * (beat - from_beat) / (to_beat - from_beat));
  }
}

std::vector<uint8_t> Song::midi() const {
  std::vector<MidiTrack> tracks(1);
  tracks[0].name(title_);
  tracks[0].time_signature(0, meter_.numerator, meter_.denominator);
  tracks[0].key_signature(0, key_sharps_, minor_);
  for (const auto& [beat, bpm] : tempi_) tracks[0].tempo(ticks(beat), bpm);
  uint32_t end = 0;
  for (const Part& part : parts_) {
    MidiTrack& track = tracks.emplace_back();
    track.name(part.name());
    track.program(0, part.channel(), part.program());
    track.control(0, part.channel(), 7, part.levels().volume);
    track.control(0, part.channel(), 10, part.levels().pan);
    track.control(0, part.channel(), 91, part.levels().reverb);
    track.control(0, part.channel(), 93, part.levels().chorus);
    for (const TimedNote& note : timed_notes(part.notes())) {
      track.note(note.start, note.end - note.start, part.channel(), note.key, note.velocity);
      end = std::max(end, note.end);
    }
  }
  return midi_file(tracks, kTicksPerBeat, end);
}

}  // namespace quarlyn
