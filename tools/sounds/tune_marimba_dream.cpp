// A dreamy piece in E major at a slow walk: a marimba ostinato on seventh chords, kalimba tune,
// new-age pad and fretless bass; the reprise adds a choir and hands the tune to a pan flute.
#include "tunes.h"

namespace quarlyn {
namespace {

const Scale kE(64, Mode::kMajor);

constexpr std::string_view kAChords = "17 47 67 47 17 47 27 5s";
constexpr std::string_view kATune =
    "| 5:3 3:1 5:2 7:2 | 6:3 5:1 3:4 | 6:2 1':2 3':2 1':2 | 3':3 2':1 6:4 "
    "| 5:3 3:1 5:2 2':2 | 1':4 6:2 5:2 | 4:3 6:1 2:4 | 1:4 r:4 |";
constexpr std::string_view kBChords = "67 37 47 17 67 37 27 5";
constexpr std::string_view kBTune =
    "| 3':4 2':2 1':2 | 7:4 5:4 | 6:3 7:1 1':2 3':2 | 7:8 "
    "| 3':3 4':1 3':2 1':2 | 2':4 7:4 | 1':3 6:1 4:4 | 5:8 |";

struct Band {
  Part& kalimba;
  Part& flute;
  Part& marimba;
  Part& pad;
  Part& choir;
  Part& bass;
  Part& shaker;
};

void bed(Band& band, std::string_view chords_text, double start, bool choir) {
  std::vector<Chord> chords = progression(kE, chords_text, start, 4);
  band.marimba.pattern(chords, 52, "0 2 3 4 1 2 3 2", 0.5, 62);
  band.pad.pad(chords, 56, 4, 54);
  band.bass.pattern(chords, 40, "0-----2- 0-------", 0.5, 76);
  band.shaker.hits(start, start + 32, 70, ".o.x .o.x .o.x .o.x", 0.25, 56);
  if (choir) band.choir.pad(chords, 60, 3, 50);
}

}  // namespace

Song compose_marimba_dream() {
  Song song("Lantern Garden", 76, kFourFour, 4, false);
  Band band{song.part("Kalimba", 0, 108).mix(100, 70, 70).feel(6, 6, 1.0),
            song.part("Pan flute", 1, 75).mix(88, 56, 80).feel(5, 6, 0.95),
            song.part("Marimba", 2, 12).mix(86, 40, 60).feel(8, 4, 1.0).pedal(),
            song.part("New age pad", 3, 88).mix(70, 84, 90, 40).feel(3, 0, 1.0),
            song.part("Choir", 4, 52).mix(64, 64, 90).feel(3, 0, 1.0),
            song.part("Fretless bass", 5, 35).mix(92, 60, 40).feel(4, 4, 0.95),
            song.part("Shaker", kDrumChannel, 0).mix(64, 64, 50).feel(8, 6, 0.5)};
  std::vector<Chord> intro = progression(kE, "17 47 17 47", 0, 4);
  band.marimba.pattern(intro, 52, "0 2 3 4 1 2 3 2", 0.5, 56);
  band.pad.pad(intro, 56, 4, 46);
  bed(band, kAChords, song.bar(4), false);
  band.kalimba.melody(kE, kATune, song.bar(4), 84);
  bed(band, kBChords, song.bar(12), false);
  band.kalimba.melody(kE, kBTune, song.bar(12), 86);
  bed(band, kAChords, song.bar(20), true);
  band.kalimba.melody(kE, kATune, song.bar(20), 80);
  band.flute.melody(kE, kATune, song.bar(20), 60);
  bed(band, kBChords, song.bar(28), true);
  band.flute.melody(kE, kBTune, song.bar(28), 76);
  std::vector<Chord> outro = progression(kE, "47 17:8", song.bar(36), 4);
  band.marimba.pattern(outro, 52, "0 2 3 4 1 2 3 2", 0.5, 54);
  band.pad.pad(outro, 56, 4, 50);
  band.bass.pattern(outro, 40, "0-------", 1, 70);
  band.kalimba.melody(kE, "| 6:2 5:2 3:4 | 5:16 |", song.bar(36), 76);
  song.ritardando(song.bar(37), song.bar(39), 62);
  return song;
}

}  // namespace quarlyn
