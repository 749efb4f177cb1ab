// A swinging jazz tune in B-flat: vibraphone head over walking bass, electric piano comping and
// brushes-and-ride drums; the middle chorus is a vibraphone solo built from the changes.
#include <algorithm>
#include <cmath>
#include <string>

#include "tunes.h"

namespace quarlyn {
namespace {

const Scale kBb(58, Mode::kMajor);
constexpr double kSwing = 1.0 / 6;

constexpr std::string_view kAChords = "17 6M7 27 57 37 6M7 27:2 57:2 17";
constexpr std::string_view kBChords = "3M7 3M7 6M7 6M7 2M7 2M7 57 57";
constexpr std::string_view kHeadA =
    "| 3':2 1':1 2':1 3':2 5:2 | #1':3 2':1 #1':2 6:2 | 2':2 4':2 r:1 2':1 6:2 | 7:3 4':1 2':2 7:2 "
    "| 3':2 5':1 6':1 5':2 3':2 | #1':3 2':1 4':2 3':1 #1':1 | ";
constexpr std::string_view kFirstEnding = "| 2':2 6:2 7:2 4':2 | 1':6 r:2 |";
constexpr std::string_view kSecondEnding = "| 4':2 2':2 7:2 5:2 | 1':4 r:4 |";
constexpr std::string_view kBridge =
    "| #5:2 6:2 7:2 1':2 | 2':3 7:1 #5:4 | #1':2 2':2 3':2 4':2 | 4':2 3':2 #1':4 "
    "| 6:2 2':2 #4':2 2':2 | 1':3 6:1 #4:4 | 5:2 7:2 2':2 4':2 | 3':3 2':1 7:4 |";

struct Band {
  Part& vibes;
  Part& piano;
  Part& bass;
  Part& drums;
};

void rhythm_section(Band& band, std::string_view chords_text, double start, std::string_view walk) {
  std::vector<Chord> chords = progression(kBb, chords_text, start, 4);
  band.piano.pattern(chords, 55, "x..x.... ", 0.5, 58, 4);
  band.bass.pattern(chords, 40, walk, 1, 80);
  double end = start + 32;
  band.drums.hits(start, end, 51, "x.xxx.xx", 0.5, 62);
  band.drums.hits(start, end, 44, "..x...x.", 0.5, 56);
  band.drums.hits(start, end, 36, "o.o.o.o.", 0.5, 60);
  band.drums.hits(start, end, 38, "........ .....o.o ........ ..o....o", 0.5, 62);
}

void head_a(Band& band, double start, std::string_view ending, int velocity) {
  rhythm_section(band, kAChords, start, "0 1 2 a");
  band.vibes.melody(kBb, std::string(kHeadA) + std::string(ending), start, velocity);
}

// The next chord tone past `from` in `direction`.
int chord_step(const Chord& chord, int from, int direction) {
  for (int key = from + direction;; key += direction) {
    int offset = ((key - chord.root) % 12 + 12) % 12;
    if (std::find(chord.intervals.begin(), chord.intervals.end(), offset) != chord.intervals.end()) return key;
  }
}

// Runs of swung eighths: chord tones on the beats, scale steps between, turning at the edges of
// the range or now and then by chance; each two-bar phrase ends with a held note and a breath.
void improvise(Part& part, const std::vector<Chord>& chords, double start, double end) {
  Random random(7);
  int key = kBb.key(8);
  int direction = 1;
  for (double beat = start; beat < end; beat += 0.5) {
    double in_phrase = std::fmod(beat - start, 8.0);
    if (in_phrase >= 6.5) continue;
    const Chord& chord = *std::find_if(chords.rbegin(), chords.rend(), [&](const Chord& c) { return c.beat <= beat; });
    if (key > 79 || key < 62 || random.uniform() < 0.2f) direction = key > 72 ? -1 : 1;
    bool on_beat = std::fmod(in_phrase, 1.0) < 0.25;
    key = on_beat ? chord_step(chord, key, direction) : kBb.step(key, direction);
    double length = in_phrase >= 6 ? 1.5 : 0.5;
    part.play(beat, length, key, 74 + (on_beat ? 0 : 6));
    if (length > 0.5) beat += 1;
  }
}

void solo(Band& band, double start) {
  rhythm_section(band, kAChords, start, "0 2 3 a");
  rhythm_section(band, kAChords, start + 32, "0 1 2 a");
  std::vector<Chord> chords = progression(kBb, std::string(kAChords) + " " + std::string(kAChords), start, 4);
  improvise(band.vibes, chords, start, start + 64);
}

void tag(Band& band, double start) {
  std::vector<Chord> chords = progression(kBb, "27:2 57:2 27:2 57:2 17:8", start, 4);
  band.piano.pattern(chords, 55, "x..x", 0.5, 56, 4);
  band.bass.pattern(chords, 40, "0 a", 1, 78);
  band.vibes.melody(kBb, "| 2':2 4':2 7:2 4':2 | 2':2 4':2 7:2 2':2 |", start, 78);
  std::vector<int> last = chords.back().voicing(62, 4);
  for (size_t i = 0; i < last.size(); ++i) band.vibes.play(start + 8 + 0.1 * i, 8 - 0.1 * i, last[i], 70);
  band.drums.hits(start, start + 8, 51, "x.xxx.xx", 0.5, 60);
  band.drums.hits(start + 8, start + 9, 49, "x", 1, 70);
}

}  // namespace

Song compose_jazz_vibes() {
  Song song("Blue Tiles", 140, kFourFour, -2, false);
  Band band{song.part("Vibraphone", 0, 11).mix(100, 70, 60).feel(6, 6, 0.9).swing(kSwing),
            song.part("Electric piano", 1, 4).mix(80, 44, 50).feel(6, 6, 0.7).swing(kSwing),
            song.part("Walking bass", 2, 32).mix(100, 58, 30).feel(6, 4, 0.95),
            song.part("Drums", kDrumChannel, 0).mix(86, 64, 40).feel(8, 4, 0.5).swing(kSwing)};
  std::vector<Chord> intro = progression(kBb, "17 6M7 27 57", 0, 4);
  band.piano.pattern(intro, 55, "x..x.... ", 0.5, 56, 4);
  band.bass.pattern(intro, 40, "0 1 2 a", 1, 76);
  band.drums.hits(0, 16, 51, "x.xxx.xx", 0.5, 56);
  head_a(band, song.bar(4), kFirstEnding, 80);
  head_a(band, song.bar(12), kSecondEnding, 82);
  rhythm_section(band, kBChords, song.bar(20), "0 1 2 a");
  band.vibes.melody(kBb, kBridge, song.bar(20), 82);
  head_a(band, song.bar(28), kSecondEnding, 84);
  solo(band, song.bar(36));
  head_a(band, song.bar(52), kSecondEnding, 84);
  tag(band, song.bar(60));
  return song;
}

}  // namespace quarlyn
