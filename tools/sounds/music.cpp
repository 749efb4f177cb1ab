#include "music.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace quarlyn {
namespace {

constexpr std::array<int, 7> kMajorSteps = {0, 2, 4, 5, 7, 9, 11};

std::array<int, 7> mode_steps(Mode mode) {
  switch (mode) {
    case Mode::kMajor:
      return kMajorSteps;
    case Mode::kMinor:
      return {0, 2, 3, 5, 7, 8, 10};
    case Mode::kDorian:
      return {0, 2, 3, 5, 7, 9, 10};
  }
  return kMajorSteps;
}

[[noreturn]] void fail(std::string_view what, std::string_view token) {
  throw std::invalid_argument(std::string(what) + " '" + std::string(token) + "'");
}

// ":N" at position `at` of the token, or `fallback` when the token ends there.
double length_suffix(std::string_view token, size_t at, double fallback) {
  if (at == token.size()) return fallback;
  if (token[at] != ':') fail("unexpected text in", token);
  return std::stod(std::string(token.substr(at + 1)));
}

int accidental(std::string_view token, size_t& at) {
  if (token[at] == '#') return ++at, 1;
  if (token[at] == 'b') return ++at, -1;
  return 0;
}

int degree_digit(std::string_view token, size_t at) {
  if (at >= token.size() || token[at] < '1' || token[at] > '7') fail("no degree in", token);
  return token[at] - '0';
}

std::vector<int> quality_intervals(char quality, bool seventh) {
  switch (quality) {
    case 'm':
      return seventh ? std::vector<int>{0, 3, 7, 10} : std::vector<int>{0, 3, 7};
    case 's':
      return seventh ? std::vector<int>{0, 5, 7, 10} : std::vector<int>{0, 5, 7};
    default:
      return seventh ? std::vector<int>{0, 4, 7, 10} : std::vector<int>{0, 4, 7};
  }
}

Chord parse_chord(const Scale& scale, std::string_view token, double beat, double beats_each) {
  size_t at = 0;
  int degree = degree_digit(token, at++);
  char quality = ' ';
  if (at < token.size() && std::string_view("mMs").find(token[at]) != std::string_view::npos) quality = token[at++];
  bool seventh = at < token.size() && token[at] == '7';
  if (seventh) ++at;
  Chord chord{beat, length_suffix(token, at, beats_each), scale.key(degree), {}};
  if (quality != ' ') {
    chord.intervals = quality_intervals(quality, seventh);
  } else {
    for (int step = 0; step < (seventh ? 7 : 5); step += 2)
      chord.intervals.push_back(scale.key(degree + step) - chord.root);
  }
  return chord;
}

// Whitespace-separated tokens, "|" bar lines included.
std::vector<std::string_view> tokens(std::string_view text) {
  std::vector<std::string_view> out;
  size_t at = 0;
  while (true) {
    at = text.find_first_not_of(" \t\n", at);
    if (at == std::string_view::npos) return out;
    size_t end = std::min(text.find_first_of(" \t\n", at), text.size());
    out.push_back(text.substr(at, end - at));
    at = end;
  }
}

}  // namespace

Scale::Scale(int tonic, Mode mode) : tonic_(tonic), steps_(mode_steps(mode)) {}

int Scale::key(int degree) const {
  int index = degree - 1;
  int octave = index >= 0 ? index / 7 : -((6 - index) / 7);
  return tonic_ + 12 * octave + steps_[static_cast<size_t>(index - 7 * octave)];
}

int Scale::step(int from, int direction) const {
  for (int key = from + direction;; key += direction) {
    int offset = ((key - tonic_) % 12 + 12) % 12;
    if (std::find(steps_.begin(), steps_.end(), offset) != steps_.end()) return key;
  }
}

std::vector<Note> phrase(const Scale& scale, std::string_view text, double start, double unit, double bar_beats,
                         int velocity) {
  std::vector<Note> notes;
  double position = 0;
  for (std::string_view token : tokens(text)) {
    if (token == "|") {
      double bars = position / bar_beats;
      if (std::abs(bars - std::round(bars)) > 1e-6)
        fail("bar line off the bar after", text.substr(0, token.data() - text.data()));
      continue;
    }
    size_t at = 0;
    int shift = accidental(token, at);
    bool rest = token[at] == 'r';
    int key = rest ? 0 : scale.key(degree_digit(token, at)) + shift;
    for (++at; at < token.size() && (token[at] == '\'' || token[at] == ','); ++at) key += token[at] == '\'' ? 12 : -12;
    double length = length_suffix(token, at, 1) * unit;
    if (!rest) notes.push_back({start + position, length, key, velocity});
    position += length;
  }
  return notes;
}

int Chord::tone(int index, int low) const {
  int base = low + ((root - low) % 12 + 12) % 12;
  int count = static_cast<int>(intervals.size());
  return base + intervals[static_cast<size_t>(index % count)] + 12 * (index / count);
}

std::vector<int> Chord::voicing(int low, int count) const {
  std::vector<int> chosen = intervals;
  // A three-note voicing of a seventh chord keeps the colour and drops the fifth.
  if (count < static_cast<int>(chosen.size()) && chosen.size() > 2) chosen.erase(chosen.begin() + 2);
  std::vector<int> keys;
  for (int interval : chosen) keys.push_back(low + ((root + interval - low) % 12 + 12) % 12);
  std::sort(keys.begin(), keys.end());
  for (size_t i = 0; static_cast<int>(keys.size()) < count; ++i) keys.push_back(keys[i] + 12);
  keys.resize(static_cast<size_t>(std::min(count, static_cast<int>(keys.size()))));
  return keys;
}

std::vector<Chord> progression(const Scale& scale, std::string_view text, double start, double beats_each) {
  std::vector<Chord> chords;
  double beat = start;
  for (std::string_view token : tokens(text)) {
    if (token == "|") continue;
    chords.push_back(parse_chord(scale, token, beat, beats_each));
    beat += chords.back().length;
  }
  return chords;
}

}  // namespace quarlyn
