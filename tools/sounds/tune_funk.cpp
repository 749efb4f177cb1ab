// A funk groove in E dorian: slap bass and clavinet in sixteenths, brass riffs and a brass
// chorus tune, electric piano chords and a tight kit with ghost notes.
#include "tunes.h"

namespace quarlyn {
namespace {

const Scale kE(64, Mode::kDorian);

constexpr std::string_view kVampChords = "17 47 17 47 17 47 3 4";
constexpr std::string_view kRiff = "| r:1 1:1 3:1 r:1 4:1 5:1 r:2 | r:1 5:1 4:2 3:1 1:1 r:2 |";
constexpr std::string_view kChorusChords = "3 7 4 1 3 7 4 4";
constexpr std::string_view kChorus =
    "| 5:2 5:1 7:1 1':2 7:1 5:1 | 4:3 2:1 7,:4 | 1:2 4:2 6:2 4:2 | 5:4 3:2 1:2 "
    "| 5:2 5:1 7:1 1':2 7:2 | 7:3 6:1 4:4 | 6:2 5:2 4:2 3:2 | 4:6 r:2 |";

struct Band {
  Part& brass;
  Part& clav;
  Part& piano;
  Part& bass;
  Part& drums;
};

void kit(Band& band, double start, double end) {
  band.drums.hits(start, end, 36, "x..x ..x. x... .x..", 0.25, 100);
  band.drums.hits(start, end, 38, ".... X..o .o.. X..o", 0.25, 84);
  band.drums.hits(start, end, 42, "xoxo xoxo xoxo xoxo", 0.25, 70);
}

void groove(Band& band, std::string_view chords_text, double start, bool piano) {
  std::vector<Chord> chords = progression(kE, chords_text, start, 4);
  band.bass.pattern(chords, 40, "0..o ..0. .0o. 2.a.", 0.25, 96);
  band.clav.pattern(chords, 60, "x.xx .x.x x.xx .x.x", 0.25, 68);
  if (piano) band.piano.pad(chords, 57, 4, 56);
  kit(band, start, chords.back().beat + chords.back().length);
}

void vamp(Band& band, double start) {
  groove(band, kVampChords, start, false);
  for (int repeat = 0; repeat < 3; ++repeat) band.brass.melody(kE, kRiff, start + 8 * repeat, 92);
  band.brass.melody(kE, "| 3:2 3:1 4:2 b5:1 5:2 | 4:6 r:2 |", start + 24, 96);
}

void chorus(Band& band, double start) {
  groove(band, kChorusChords, start, true);
  band.brass.melody(kE, kChorus, start, 96);
  band.drums.hits(start, start + 1, 49, "x", 1, 90);
}

void bass_break(Band& band, double start) {
  std::vector<Chord> chords = progression(kE, "17 17 17 47", start, 4);
  band.bass.pattern(chords, 40, "0.0o .0o. 0.2. o.3a", 0.25, 100);
  kit(band, start, start + 12);
  band.drums.hits(start + 12, start + 16, 38, "x.x. x.xx .xx. XXXX", 0.25, 80);
}

void ending(Band& band, double start) {
  std::vector<Chord> chords = progression(kE, "17 47", start, 4);
  band.bass.pattern(chords, 40, "0..o ..0. .0o. 2.a.", 0.25, 96);
  band.clav.pattern(chords, 60, "x.xx .x.x x.xx .x.x", 0.25, 66);
  kit(band, start, start + 8);
  std::vector<Chord> last = progression(kE, "17", start + 8, 4);
  band.brass.pad(last, 62, 4, 100);
  band.piano.pad(last, 57, 4, 70);
  band.bass.play(start + 8, 2, kE.key(-13), 104);
  band.drums.hits(start + 8, start + 9, 49, "x", 1, 100);
  band.drums.hits(start + 8, start + 9, 36, "x", 1, 110);
}

}  // namespace

Song compose_funk() {
  Song song("Tight Corners", 104, kFourFour, 2, false);
  Band band{song.part("Brass", 0, 61).mix(92, 70, 40).feel(6, 4, 0.8),
            song.part("Clavinet", 1, 7).mix(74, 40, 30).feel(10, 3, 0.45),
            song.part("Electric piano", 2, 4).mix(70, 88, 50, 40).feel(4, 4, 0.95),
            song.part("Slap bass", 3, 36).mix(100, 60, 20).feel(10, 3, 0.6),
            song.part("Drums", kDrumChannel, 0).mix(96, 64, 30).feel(10, 3, 0.5)};
  kit(band, 0, song.bar(2));
  groove(band, "17 47", song.bar(2), false);
  vamp(band, song.bar(4));
  chorus(band, song.bar(12));
  bass_break(band, song.bar(20));
  vamp(band, song.bar(24));
  chorus(band, song.bar(32));
  chorus(band, song.bar(40));
  ending(band, song.bar(48));
  return song;
}

}  // namespace quarlyn
