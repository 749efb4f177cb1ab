// A folk jig in G major, 6/8: flute and fiddle over a strummed guitar, a plucked bass and a
// frame-drum pulse. The tune goes round three times, AABB each time, in changing colours.
#include "tunes.h"

namespace quarlyn {
namespace {

const Scale kG(67, Mode::kMajor);
const Scale kGLow(55, Mode::kMajor);

constexpr std::string_view kPartAChords = "1 1 4 5 1 6 4:1.5 5:1.5 1";
constexpr std::string_view kPartA =
    "| 5,:1 1:1 2:1 3:2 1:1 | 3:1 2:1 1:1 5:2 3:1 | 4:2 3:1 4:1 6:1 4:1 | 5:2 3:1 2:1 7,:1 5,:1 "
    "| 5,:1 1:1 2:1 3:2 1:1 | 3:1 2:1 1:1 3:1 5:1 6:1 | 4:1 3:1 4:1 2:1 7,:1 2:1 | 1:3 1:3 |";
constexpr std::string_view kPartBChords = "4 1 4 5 4 1 6:1.5 5:1.5 1";
constexpr std::string_view kPartB =
    "| 6:1 4:1 6:1 1':2 6:1 | 5:1 3:1 5:1 1':2 5:1 | 6:1 5:1 4:1 6:2 1':1 | 2':2 1':1 7:1 6:1 5:1 "
    "| 6:1 4:1 6:1 1':2 6:1 | 1':1 7:1 1':1 5:2 3:1 | 3:1 5:1 3:1 2:1 7,:1 2:1 | 1:3 1:3 |";

struct Band {
  Part& flute;
  Part& fiddle;
  Part& guitar;
  Part& bass;
  Part& drum;
};

void rhythm(Band& band, std::string_view chords_text, double start, bool busy) {
  std::vector<Chord> chords = progression(kG, chords_text, start, 3);
  band.guitar.pattern(chords, 55, "x.x x.x", 0.5, 70, 4);
  band.bass.pattern(chords, 40, "0-- 2--", 0.5, 84);
  double end = start + 24;
  band.drum.hits(start, end, 41, busy ? "X.x x.x" : "X.. x..", 0.5, 74);
  if (busy) band.drum.hits(start, end, 54, "..x ..x", 0.5, 50);
}

// One round: each part played twice, on the instruments `lead` names.
void round(Band& band, double start, int lead) {
  for (int half = 0; half < 2; ++half) {
    std::string_view chords = half == 0 ? kPartAChords : kPartBChords;
    std::string_view tune = half == 0 ? kPartA : kPartB;
    for (int pass = 0; pass < 2; ++pass) {
      double at = start + 48 * half + 24 * pass;
      rhythm(band, chords, at, lead > 0);
      if (lead != 1) band.flute.melody(kG, tune, at, 84 + 4 * pass);
      if (lead > 0) band.fiddle.melody(kGLow, tune, at, 80 + 4 * pass);
      if (lead == 1) band.flute.pattern(progression(kG, chords, at, 3), 72, "1-----", 0.5, 60);
    }
  }
}

void ending(Band& band, double start) {
  std::vector<Chord> chords = progression(kG, "4:1.5 5:1.5 1:3", start, 3);
  band.guitar.pattern(chords, 55, "x-----", 0.5, 74, 4);
  band.bass.pattern(chords, 40, "0-----", 0.5, 86);
  band.flute.melody(kG, "| 4:3 2:3 | 1:6 |", start, 86);
  band.fiddle.melody(kGLow, "| 4:3 2:3 | 1:6 |", start, 80);
  band.drum.hits(start, start + 6, 41, "X.x x.x X.....", 0.5, 76);
}

}  // namespace

Song compose_folk_jig() {
  Song song("The Quarry Jig", 162, kSixEight, 1, false);
  Band band{song.part("Flute", 0, 73).mix(100, 74, 60).feel(7, 6, 0.9),
            song.part("Fiddle", 1, 110).mix(90, 50, 60).feel(7, 6, 0.95),
            song.part("Guitar", 2, 25).mix(82, 40, 50).feel(8, 6, 0.8),
            song.part("Bass", 3, 32).mix(90, 64, 40).feel(6, 4, 0.9),
            song.part("Frame drum", kDrumChannel, 0).mix(84, 64, 40).feel(8, 4, 0.5)};
  std::vector<Chord> intro = progression(kG, "1 4 1 5", 0, 3);
  band.guitar.pattern(intro, 55, "x.x x.x", 0.5, 66, 4);
  band.drum.hits(song.bar(2), song.bar(4), 41, "X.. x..", 0.5, 70);
  round(band, song.bar(4), 0);
  round(band, song.bar(36), 1);
  round(band, song.bar(68), 2);
  ending(band, song.bar(100));
  return song;
}

}  // namespace quarlyn
