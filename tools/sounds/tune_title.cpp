// Title theme: a warm horn tune over harp and strings in D major that flows back into its own
// opening, since the configuration window repeats it endlessly.
#include "tunes.h"

namespace quarlyn {
namespace {

const Scale kD(62, Mode::kMajor);
const Scale kDHigh(74, Mode::kMajor);  // the flute doubles the horn an octave up

constexpr std::string_view kVerseChords = "1 5 6 4 1 5 4:2 5:2 1";
constexpr std::string_view kVerse =
    "| 1:3 3:1 5:4 | 4:2 3:2 2:4 | 3:3 5:1 1':4 | 6:2 5:2 4:4 "
    "| 3:3 4:1 5:2 3:2 | 2:3 3:1 4:2 2:2 | 1:2 6,:2 7,:2 2:2 | 1:8 |";
constexpr std::string_view kBridgeChords = "4 5 3m 6 2 5 1 5";
constexpr std::string_view kBridge =
    "| 6:3 5:1 4:2 6:2 | 5:4 7:2 5:2 | 6:3 5:1 3:2 5:2 | 3:4 1:2 2:2 "
    "| 2:3 3:1 4:2 5:2 | 5:3 4:1 3:2 2:2 | 1:2 3:2 5:2 1':2 | 5,:2 6,:2 7,:4 |";

struct Band {
  Part& horn;
  Part& flute;
  Part& harp;
  Part& strings;
  Part& bass;
  Part& timpani;
  Part& drums;
};

void accompany(Band& band, std::string_view chords_text, double start, bool full) {
  std::vector<Chord> chords = progression(kD, chords_text, start, 4);
  band.harp.pattern(chords, 50, full ? "0123 4321 0123 4321" : "0 1 2 3 4 3 2 1", full ? 0.25 : 0.5, 62);
  band.strings.pad(chords, 57, 4, full ? 62 : 52);
  band.bass.pattern(chords, 38, full ? "0--- 2--- 0--- 2---" : "0-------", 0.25, 70);
  double end = start + 32;
  band.drums.hits(start, end, 36, "x... .... x... ....", 0.25, 60);
  band.drums.hits(start, end, 70, "x.o. x.o. x.o. x.o.", 0.25, 56);
  if (full) band.drums.hits(start, end, 54, ".... x... .... x...", 0.25, 52);
}

void add_intro(Band& band) {
  std::vector<Chord> chords = progression(kD, "1 5", 0, 4);
  band.harp.pattern(chords, 50, "0 1 2 3 4 3 2 1", 0.5, 58);
  band.strings.pad(chords, 57, 3, 44);
  band.bass.pattern(chords, 38, "0-------", 0.5, 60);
  band.timpani.hits(0, 4, 38, "x... .... .... ....", 0.25, 70);
}

void add_ending(Band& band, double start) {
  std::vector<Chord> chords = progression(kD, "4:4 5s:2 5:2 1:4", start, 4);
  band.harp.pattern(chords, 50, "0 1 2 3 4 3 2 1", 0.5, 56);
  band.strings.pad(chords, 57, 4, 56);
  band.bass.pattern(chords, 38, "0-------", 0.5, 66);
  band.horn.melody(kD, "| 4:4 6:2 1':2 | 2':4 7:4 | 1':8 |", start, 80);
  band.flute.melody(kDHigh, "| 6,:4 1:2 2:2 | 1:4 7,:4 | 3:8 |", start, 64);
  band.timpani.hits(start + 8, start + 12, 38, "xxxx xxxx X... ....", 0.25, 54);
}

}  // namespace

Song compose_title_theme() {
  Song song("Quarlyn Title Theme", 96, kFourFour, 2, false);
  Band band{song.part("Horn", 0, 60).mix(96, 58, 60),
            song.part("Flute", 1, 73).mix(82, 76, 70),
            song.part("Harp", 2, 46).mix(84, 44, 60).feel(8, 4, 0.98).pedal(),
            song.part("Strings", 3, 48).mix(78, 70, 80).feel(4, 2, 1.0),
            song.part("Bass", 4, 43).mix(88, 60, 50),
            song.part("Timpani", 5, 47).mix(80, 64, 60),
            song.part("Percussion", kDrumChannel, 0).mix(70, 64, 40).feel(6, 3, 0.5)};
  add_intro(band);
  accompany(band, kVerseChords, song.bar(2), false);
  band.horn.melody(kD, kVerse, song.bar(2), 78);
  accompany(band, kBridgeChords, song.bar(10), true);
  band.horn.melody(kD, kBridge, song.bar(10), 80);
  accompany(band, kVerseChords, song.bar(18), true);
  band.horn.melody(kD, kVerse, song.bar(18), 84);
  band.flute.melody(kDHigh, kVerse, song.bar(18), 64);
  add_ending(band, song.bar(26));
  return song;
}

}  // namespace quarlyn
