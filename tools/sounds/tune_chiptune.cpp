// A chiptune in C minor at a running pace: square-wave lead and fast arpeggios, a square bass
// bouncing in octaves, tight drums; the second pass doubles the lead an octave up.
#include "tunes.h"

namespace quarlyn {
namespace {

const Scale kC(60, Mode::kMinor);
const Scale kCHigh(72, Mode::kMinor);

constexpr std::string_view kAChords = "1 6 3 7 1 6 3 7";
constexpr std::string_view kATune =
    "| 1':2 5:1 1':1 3':2 2':1 1':1 | 6:3 1':1 3':4 | 5:2 3:1 5:1 7:2 5:2 | 4:3 2:1 7,:4 "
    "| 1':2 5:1 1':1 3':2 4':1 5':1 | 6':3 5':1 3':4 | 3':2 4':1 3':1 5':2 3':2 | 2':6 r:2 |";
constexpr std::string_view kBChords = "6 7 3 6 4 5M 1 1";
constexpr std::string_view kBTune =
    "| 1':1 3':1 6':2 3':2 1':2 | 4':3 2':1 7:4 | 5:1 7:1 3':2 5':2 3':2 | 1':6 r:2 "
    "| 6:2 1':2 4':2 3':2 | 2':3 #7:1 5:4 | 5:2 1':2 3':2 5':2 | 1'':4 r:4 |";

struct Band {
  Part& lead;
  Part& echo;
  Part& arp;
  Part& bass;
  Part& drums;
};

void beat(Band& band, double start, double end) {
  band.drums.hits(start, end, 36, "x.....x. ..x.....", 0.25, 100);
  band.drums.hits(start, end, 38, "....x... ....x...", 0.25, 90);
  band.drums.hits(start, end, 42, "x.x.x.x. x.x.x.xx", 0.25, 62);
}

void section(Band& band, std::string_view chords_text, std::string_view tune, double start, bool doubled) {
  std::vector<Chord> chords = progression(kC, chords_text, start, 4);
  band.arp.pattern(chords, 60, "0 1 2 3", 0.25, 60);
  band.bass.pattern(chords, 36, "0 o 0 o 0 o 0 o", 0.5, 92);
  beat(band, start, start + 32);
  band.lead.melody(kC, tune, start, 96);
  if (doubled) band.echo.melody(kCHigh, tune, start, 70);
}

void breakdown(Band& band, double start) {
  std::vector<Chord> chords = progression(kC, "6 7 1 1", start, 4);
  band.bass.pattern(chords, 36, "0 . 0 o . o 0 .", 0.5, 92);
  band.drums.hits(start, start + 12, 36, "x... x... x... x...", 0.25, 96);
  band.drums.hits(start + 12, start + 16, 38, "x.x. x.x. xxxx xxxx", 0.25, 80);
}

void ending(Band& band, double start) {
  std::vector<Chord> chords = progression(kC, "4 5M 1:8", start, 4);
  band.arp.pattern(chords, 60, "0 1 2 3", 0.25, 56);
  band.bass.pattern(progression(kC, "4 5M", start, 4), 36, "0 o 0 o 0 o 0 o", 0.5, 90);
  band.bass.play(start + 8, 8, kC.key(-13), 96);
  band.lead.melody(kC, "| 6:2 1':2 4':2 6':2 | 5':2 2':2 #7:2 2':2 | 1':16 |", start, 96);
  beat(band, start, start + 8);
  band.drums.hits(start + 8, start + 9, 49, "x", 1, 100);
  band.drums.hits(start + 8, start + 9, 36, "x", 1, 110);
}

}  // namespace

Song compose_chiptune() {
  Song song("Pixel Cascade", 150, kFourFour, -3, true);
  Band band{song.part("Square lead", 0, 80).mix(48, 64, 20).feel(4, 0, 0.85),
            song.part("Square echo", 1, 80).mix(36, 96, 30).feel(4, 0, 0.6),
            song.part("Arpeggio", 2, 81).mix(52, 36, 20).feel(6, 0, 0.5),
            song.part("Square bass", 3, 80).mix(44, 64, 10).feel(4, 0, 0.7),
            song.part("Drums", kDrumChannel, 0).mix(104, 64, 20).feel(6, 0, 0.5)};
  std::vector<Chord> intro = progression(kC, "1 6 3 7", 0, 4);
  band.arp.pattern(intro, 60, "0 1 2 3", 0.25, 56);
  band.bass.pattern(intro, 36, "0 o 0 o 0 o 0 o", 0.5, 84);
  beat(band, song.bar(2), song.bar(4));
  section(band, kAChords, kATune, song.bar(4), false);
  section(band, kAChords, kATune, song.bar(12), true);
  section(band, kBChords, kBTune, song.bar(20), false);
  breakdown(band, song.bar(28));
  section(band, kAChords, kATune, song.bar(32), true);
  section(band, kBChords, kBTune, song.bar(40), true);
  ending(band, song.bar(48));
  return song;
}

}  // namespace quarlyn
