// A calm piano waltz in F major: flowing left-hand arpeggios held by the pedal, a singing right
// hand, strings only for the minor-key middle part, and a slowing close.
#include "tunes.h"

namespace quarlyn {
namespace {

const Scale kF(65, Mode::kMajor);
const Scale kFHigh(77, Mode::kMajor);

constexpr std::string_view kIntroChords = "1 4 1 5M7";
constexpr std::string_view kVerseChords = "1 3 4 1 6 2 5M7 1";
constexpr std::string_view kQuestion =
    "| 5:4 6:1 5:1 | 3:4 2:1 3:1 | 4:2 6:2 1':2 | 1':3 7:1 6:1 5:1 "
    "| 6:4 5:1 4:1 | 4:2 3:2 2:2 | 2:2 5,:2 7,:2 | 1:6 |";
constexpr std::string_view kAnswer =
    "| 5:4 6:1 5:1 | 3:4 2:1 3:1 | 4:2 6:2 1':2 | 1':3 7:1 6:1 5:1 "
    "| 6:3 5:1 6:1 1':1 | 2':4 6:2 | 5:2 2':2 7:2 | 1':6 |";
constexpr std::string_view kMinorChords = "6 3 4 1 2 6 3M7 5M7";
constexpr std::string_view kMinor =
    "| 1':3 2':1 1':1 6:1 | 7:3 1':1 7:1 5:1 | 6:3 7:1 6:1 4:1 | 5:4 1:2 "
    "| 4:3 5:1 4:1 2:1 | 3:3 4:1 3:1 1:1 | #5:2 3:2 7:2 | 4:2 5:2 7:2 |";

struct Band {
  Part& right;
  Part& left;
  Part& strings;
  Part& cello;
};

void left_hand(Band& band, std::string_view chords_text, double start, int velocity) {
  band.left.pattern(progression(kF, chords_text, start, 3), 36, "0 2 3 4 3 2", 0.5, velocity);
}

void minor_part(Band& band, double start) {
  left_hand(band, kMinorChords, start, 60);
  band.right.melody(kF, kMinor, start, 78);
  band.strings.pad(progression(kF, kMinorChords, start, 3), 53, 3, 50);
  band.cello.melody(kF, "| 6,,:6 | 3,,:6 | 4,,:6 | 1,:6 | 2,:6 | 6,,:6 | #5,,:6 | 5,,:6 |", start, 68);
}

void coda(Song& song, Band& band, double start) {
  std::vector<Chord> chords = progression(kF, "4 2:1.5 5M7:1.5 1 1", start, 3);
  band.left.pattern(chords, 36, "0 2 3 4 3 2", 0.5, 58);
  band.right.melody(kF, "| 6:4 5:2 | 4:3 3:1 2:2 | 1:6 |", start, 72);
  // The last chord is rolled upwards and left to ring.
  const int rolled[] = {kF.key(1), kF.key(3), kF.key(5), kF.key(8)};
  for (int i = 0; i < 4; ++i) band.right.play(start + 9 + 0.15 * i, 3 - 0.15 * i, rolled[i], 64);
  band.strings.pad(chords, 53, 3, 46);
  song.ritardando(start, start + 9, 60);
}

}  // namespace

Song compose_piano_waltz() {
  Song song("Waltz in F", 80, kThreeFour, -1, false);
  Band band{song.part("Piano right hand", 0, 0).mix(127, 72, 50).feel(8, 8, 0.95),
            song.part("Piano left hand", 1, 0).mix(112, 56, 50).feel(6, 8, 0.98).pedal(),
            song.part("Strings", 2, 49).mix(70, 80, 70).feel(3, 2, 1.0),
            song.part("Cello", 3, 42).mix(72, 44, 60).feel(4, 4, 0.98)};
  left_hand(band, kIntroChords, 0, 62);
  left_hand(band, kVerseChords, song.bar(4), 60);
  band.right.melody(kF, kQuestion, song.bar(4), 78);
  left_hand(band, kVerseChords, song.bar(12), 62);
  band.right.melody(kF, kAnswer, song.bar(12), 82);
  minor_part(band, song.bar(20));
  left_hand(band, kVerseChords, song.bar(28), 64);
  band.right.melody(kFHigh, kAnswer, song.bar(28), 76);
  band.strings.pad(progression(kF, kVerseChords, song.bar(28), 3), 53, 3, 46);
  coda(song, band, song.bar(36));
  return song;
}

}  // namespace quarlyn
