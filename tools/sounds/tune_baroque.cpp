// A baroque-style piece in D minor: harpsichord figuration in the manner of a prelude over a
// cello continuo, an oboe air in the relative major, a circle-of-fifths episode, and a
// closing cadence on a bright D major chord.
#include "tunes.h"

namespace quarlyn {
namespace {

const Scale kD(62, Mode::kMinor);

constexpr std::string_view kHomeChords = "1 4 5M 1 6 2 5M 1";
constexpr std::string_view kHomeTune =
    "| 1':3 2':1 3':2 1':2 | 6:3 7:1 1':2 6:2 | #7:3 6:1 5:4 | 5:2 6:2 5:2 3:2 "
    "| 3:3 4:1 3:2 1:2 | 2:2 4:2 6:2 5:2 | 5:3 4:1 2:2 #7,:2 | 1:8 |";
constexpr std::string_view kAirChords = "3 7 3 6 4 5M 1 5M";
constexpr std::string_view kAir =
    "| 5:2 3:1 4:1 5:2 7:2 | 2':3 1':1 7:2 4:2 | 7:2 5:1 6:1 7:2 3:2 | 6:2 1':2 3':2 1':2 "
    "| 1':3 7:1 6:2 4:2 | #7,:2 2:2 5:2 #7:2 | 1':3 7:1 1':2 5:2 | 2':2 #7:2 5:4 |";
constexpr std::string_view kCircleChords = "1 4 7 3 6 2 5M 1";

struct Band {
  Part& harpsichord;
  Part& oboe;
  Part& cello;
};

void figuration(Band& band, std::string_view chords_text, double start, std::string_view figure) {
  std::vector<Chord> chords = progression(kD, chords_text, start, 4);
  band.harpsichord.pattern(chords, 50, figure, 0.25, 70);
  band.cello.pattern(chords, 38, "0-------0-------", 0.25, 76);
}

void continuo(Band& band, std::string_view chords_text, double start, bool figured) {
  std::vector<Chord> chords = progression(kD, chords_text, start, 4);
  if (figured) {
    band.harpsichord.pattern(chords, 50, "0 1 2 3 2 1 2 3", 0.5, 64);
  } else {
    band.harpsichord.pattern(chords, 55, "x-.. x-.. x-.. x-..", 0.25, 66);
  }
  band.cello.pattern(chords, 38, "0 2 o 2", 0.5, 74);
}

void cadence(Song& song, Band& band, double start) {
  std::vector<Chord> chords = progression(kD, "4 5M", start, 4);
  band.harpsichord.pattern(chords, 50, "0123 4321 0123 4321", 0.25, 66);
  band.cello.pattern(chords, 38, "0---o---", 0.5, 76);
  band.cello.play(start + 8, 8, kD.key(-13), 78);
  band.oboe.melody(kD, "| 6:4 1':4 | #7:4 2':4 | #3':16 |", start, 80);
  // The final chord is spread from the bottom up and held.
  const int spread[] = {kD.key(-6), kD.key(1), kD.key(3) + 1, kD.key(5), kD.key(8)};
  for (int i = 0; i < 5; ++i) band.harpsichord.play(start + 8 + 0.1 * i, 8 - 0.1 * i, spread[i], 70);
  song.ritardando(start + 4, start + 9, 72);
}

}  // namespace

Song compose_baroque_invention() {
  Song song("Prelude and Air in D minor", 100, kFourFour, -1, true);
  Band band{song.part("Harpsichord", 0, 6).mix(100, 58, 40).feel(6, 3, 1.0),
            song.part("Oboe", 1, 68).mix(92, 76, 50).feel(6, 4, 0.95),
            song.part("Cello continuo", 2, 42).mix(92, 48, 40).feel(6, 3, 0.9)};
  figuration(band, kHomeChords, 0, "0 1 2 3 4 2 3 4 0 1 2 3 4 2 3 4");
  continuo(band, kAirChords, song.bar(8), false);
  band.oboe.melody(kD, kAir, song.bar(8), 80);
  figuration(band, kCircleChords, song.bar(16), "0 2 1 2 3 2 1 2 4 2 3 2 1 2 3 2");
  continuo(band, kAirChords, song.bar(24), true);
  band.oboe.melody(kD, kAir, song.bar(24), 84);
  figuration(band, kHomeChords, song.bar(32), "0 1 2 3 4 2 3 4 0 1 2 3 4 2 3 4");
  band.oboe.melody(kD, kHomeTune, song.bar(32), 82);
  cadence(song, band, song.bar(40));
  return song;
}

}  // namespace quarlyn
