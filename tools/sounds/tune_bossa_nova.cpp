// A bossa nova in E minor: alto saxophone over nylon-string guitar in the syncopated two-bar
// comp, a root-and-fifth bass and soft shaker, rim and kick.
#include "tunes.h"

namespace quarlyn {
namespace {

const Scale kE(64, Mode::kMinor);
const Scale kELow(52, Mode::kMinor);

constexpr std::string_view kAChords = "17 47 17 47 67 5M7 17 17";
constexpr std::string_view kATune =
    "| 5:3 4:1 3:2 r:1 2:1 | 1:3 2:1 3:4 | 5:3 4:1 3:2 5:2 | 1':6 r:2 "
    "| 5:3 4:1 3:2 1:2 | #7,:2 2:2 4:2 #7:2 | 1':3 7:1 5:4 | 3:6 r:2 |";
constexpr std::string_view kBChords = "37 67 27 5M7 37 67 47 5M7";
constexpr std::string_view kBTune =
    "| 2':3 1':1 7:2 5:2 | 1':6 r:2 | 6:3 1':1 4:2 2:2 | #7:3 2':1 #7:2 r:2 "
    "| 2':3 1':1 7:2 5:2 | 1':2 7:2 6:4 | 6:3 5:1 4:2 1':2 | #7:6 r:2 |";

struct Band {
  Part& sax;
  Part& guitar;
  Part& bass;
  Part& percussion;
};

// One chord a bar; the guitar's figure spans two bars.
void comp(Band& band, std::string_view chords_text, double start) {
  std::vector<Chord> chords = progression(kE, chords_text, start, 4);
  for (size_t i = 0; i < chords.size(); ++i) {
    band.guitar.pattern({chords[i]}, 52, i % 2 == 0 ? "x--x--x-" : "..x--x--", 0.5, 62, 4);
  }
  band.bass.pattern(chords, 40, "0--22--.", 0.5, 80);
  double end = start + 4.0 * static_cast<double>(chords.size());
  band.percussion.hits(start, end, 70, "xoxo xoxo xoxo xoxo", 0.25, 58);
  band.percussion.hits(start, end, 37, "x..x ..x. ..x. .x.. ..x. .x.. x... x...", 0.25, 56);
  band.percussion.hits(start, end, 36, "x... .... x... ....", 0.25, 56);
}

void verse(Band& band, std::string_view chords, std::string_view tune, double start, const Scale& scale) {
  comp(band, chords, start);
  band.sax.melody(scale, tune, start, 80);
}

void ending(Band& band, double start) {
  std::vector<Chord> chords = progression(kE, "47 5M7", start, 4);
  band.guitar.pattern(chords, 52, "x--x--x-", 0.5, 58, 4);
  band.bass.pattern(chords, 40, "0--22--.", 0.5, 76);
  std::vector<Chord> last = progression(kE, "17:8", start + 8, 4);
  band.guitar.pad(last, 52, 4, 60);
  band.bass.pattern(last, 40, "0", 8, 76);
  band.sax.melody(kE, "| 1':3 7:1 6:4 | #7:3 2':1 #7:4 | 1':16 |", start, 76);
  band.percussion.hits(start, start + 8, 70, "xoxo xoxo xoxo xoxo", 0.25, 44);
}

}  // namespace

Song compose_bossa_nova() {
  Song song("Quiet Harbour", 132, kFourFour, 1, true);
  Band band{song.part("Alto sax", 0, 65).mix(92, 70, 60, 20).feel(6, 8, 0.92),
            song.part("Nylon guitar", 1, 24).mix(100, 48, 50).feel(6, 6, 0.85),
            song.part("Bass", 2, 32).mix(96, 60, 30).feel(5, 4, 0.9),
            song.part("Percussion", kDrumChannel, 0).mix(80, 64, 40).feel(8, 4, 0.5)};
  comp(band, "17 47 17 47", 0);
  verse(band, kAChords, kATune, song.bar(4), kE);
  verse(band, kBChords, kBTune, song.bar(12), kE);
  verse(band, kAChords, kATune, song.bar(20), kE);
  comp(band, "67 5M7 17 47", song.bar(28));
  verse(band, kBChords, kBTune, song.bar(32), kELow);
  verse(band, kAChords, kATune, song.bar(40), kE);
  ending(band, song.bar(48));
  return song;
}

}  // namespace quarlyn
