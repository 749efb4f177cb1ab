// A brass-band march in C major: trumpet tune over oom-pah tuba and brass, snare and bass drum,
// a lyrical trio in F for horn and glockenspiel, then the opening strain once more.
#include "tunes.h"

namespace quarlyn {
namespace {

const Scale kC(60, Mode::kMajor);
const Scale kF(65, Mode::kMajor);
const Scale kFLow(53, Mode::kMajor);

constexpr std::string_view kFirstChords = "1 5 1 5 1 4 5 1";
constexpr std::string_view kFirst =
    "| 1:2 3:1 5:1 1':4 | 7:2 5:1 7:1 2':4 | 1':2 5:2 3:2 5:2 | 4:3 3:1 2:4 "
    "| 1:2 3:1 5:1 1':2 3':2 | 4':3 3':1 1':2 6:2 | 5:2 2':2 7:2 4':2 | 3':4 1':4 |";
constexpr std::string_view kSecondChords = "6 3 4 1 2 5 1 5";
constexpr std::string_view kSecond =
    "| 3':3 2':1 1':2 6:2 | 7:3 1':1 7:2 5:2 | 6:2 1':2 4':2 1':2 | 3':4 5:4 "
    "| 2':3 3':1 4':2 2':2 | 7:3 1':1 2':4 | 3':2 1':2 5:2 3:2 | 2:4 5,:4 |";
constexpr std::string_view kTrioChords = "1 6 2 5 1 4 5 1";
constexpr std::string_view kTrio =
    "| 5:4 3:2 5:2 | 6:6 5:2 | 4:4 2:2 4:2 | 2:6 r:2 "
    "| 5:4 1':2 5:2 | 6:6 4:2 | 5:4 7,:2 2:2 | 1:8 |";

struct Band {
  Part& trumpet;
  Part& horn;
  Part& brass;
  Part& tuba;
  Part& glockenspiel;
  Part& drums;
};

void oom_pah(Band& band, const Scale& scale, std::string_view chords_text, double start) {
  std::vector<Chord> chords = progression(scale, chords_text, start, 4);
  band.tuba.pattern(chords, 36, "0-.. 2-..", 0.25, 86);
  band.brass.pattern(chords, 55, "..x. ..x.", 0.5, 70);
  double end = start + 32;
  band.drums.hits(start, end, 36, "x... .... x... ....", 0.25, 90);
  band.drums.hits(start, end, 38, "x.xx x.x. x.xx x.x.", 0.25, 66);
  band.drums.hits(start, start + 1, 49, "x", 1, 90);
}

void strain(Band& band, std::string_view chords, std::string_view tune, double start, int velocity) {
  oom_pah(band, kC, chords, start);
  band.trumpet.melody(kC, tune, start, velocity);
}

void trio(Band& band, double start, bool full) {
  oom_pah(band, kF, kTrioChords, start);
  band.horn.melody(kFLow, kTrio, start, full ? 92 : 84);
  band.glockenspiel.melody(kF, kTrio, start, full ? 70 : 60);
  if (full) band.trumpet.melody(kF, kTrio, start, 84);
}

void fanfare(Band& band, double start, std::string_view chords_text, std::string_view call) {
  std::vector<Chord> chords = progression(kC, chords_text, start, 8);
  band.brass.pad(chords, 55, 3, 70);
  band.tuba.pattern(chords, 36, "0-------", 1, 84);
  band.trumpet.melody(kC, call, start, 92);
  band.drums.hits(start, start + 8, 38, "xxxx xxxx xxxx X... .... ....", 0.25, 60);
  band.drums.hits(start + 8, start + 9, 49, "x", 1, 88);
  band.drums.hits(start + 8, start + 9, 36, "x", 1, 96);
}

}  // namespace

Song compose_march() {
  Song song("Bricklayers' March", 112, kFourFour, 0, false);
  Band band{song.part("Trumpet", 0, 56).mix(100, 66, 50).feel(6, 3, 0.85),
            song.part("French horn", 1, 60).mix(96, 48, 60).feel(6, 4, 0.95),
            song.part("Brass", 2, 61).mix(84, 76, 50).feel(6, 3, 0.8),
            song.part("Tuba", 3, 58).mix(100, 60, 40).feel(5, 3, 0.8),
            song.part("Glockenspiel", 4, 9).mix(64, 90, 60).feel(6, 3, 0.9),
            song.part("Drums", kDrumChannel, 0).mix(90, 64, 40).feel(8, 3, 0.5)};
  fanfare(band, 0, "1 5", "| 5,:1 5,:1 1:2 3:2 5:2 | 5:6 r:2 | 5,:1 5,:1 2:2 4:2 7:2 | 5:8 |");
  strain(band, kFirstChords, kFirst, song.bar(4), 88);
  strain(band, kFirstChords, kFirst, song.bar(12), 94);
  strain(band, kSecondChords, kSecond, song.bar(20), 90);
  trio(band, song.bar(28), false);
  trio(band, song.bar(36), true);
  strain(band, kFirstChords, kFirst, song.bar(44), 96);
  fanfare(band, song.bar(52), "5 1", "| 5,:1 5,:1 2:2 4:2 7:2 | 2':6 r:2 | 5,:1 5,:1 1:2 3:2 5:2 | 1':8 |");
  return song;
}

}  // namespace quarlyn
