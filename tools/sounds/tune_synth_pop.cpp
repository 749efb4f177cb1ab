// Upbeat synth-pop in A minor: four-on-the-floor drums, octave-pumping bass, a sparkling arpeggio
// and a sawtooth lead; the last chorus lifts a whole tone to B minor.
#include "tunes.h"

namespace quarlyn {
namespace {

const Scale kA(57, Mode::kMinor);
const Scale kB(59, Mode::kMinor);

constexpr std::string_view kVerseChords = "1 6 3 7 1 6 3 7";
constexpr std::string_view kVerse =
    "| 5:2 5:1 1':1 3':2 1':2 | 6:3 5:1 6:2 1':2 | 7:3 1':1 7:2 5:2 | 2':3 1':1 7:4 "
    "| 5:2 5:1 1':1 3':2 1':2 | 6:3 5:1 6:2 1':2 | 3':3 2':1 1':2 7:2 | 2':6 r:2 |";
constexpr std::string_view kChorusChords = "6 7 3 1 6 7 1 1";
constexpr std::string_view kChorus =
    "| 1':3 7:1 1':2 3':2 | 2':4 7:2 2':2 | 3':3 2':1 1':2 5:2 | 1':6 r:2 "
    "| 6:2 1':2 3':2 4':2 | 5':3 4':1 2':4 | 3':3 2':1 1':2 3':2 | 1':8 |";

struct Band {
  Part& lead;
  Part& arp;
  Part& pad;
  Part& bass;
  Part& drums;
};

void groove(Band& band, double start, double end, bool full) {
  band.drums.hits(start, end, 36, "x... x... x... x...", 0.25, 96);
  band.drums.hits(start, end, 42, "x.o. x.o. x.o. x.o.", 0.25, 64);
  if (!full) return;
  band.drums.hits(start, end, 39, ".... x... .... x...", 0.25, 84);
  band.drums.hits(start, end, 46, "..x. ..x. ..x. ..x.", 0.25, 56);
}

void backing(Band& band, const Scale& scale, std::string_view chords_text, double start, bool full) {
  std::vector<Chord> chords = progression(scale, chords_text, start, 4);
  band.arp.pattern(chords, 57, full ? "0123 1234 0123 1234" : "0 1 2 3 2 1 2 3", full ? 0.25 : 0.5, 66);
  band.pad.pad(chords, 55, 4, full ? 66 : 56);
  band.bass.pattern(chords, 33, "0o0o 0o0o", 0.5, 90);
  double end = chords.back().beat + chords.back().length;
  groove(band, start, end, true);
  band.drums.hits(start, start + 1, 49, "x", 1, 90);
  // A snare run into the next section.
  band.drums.hits(end - 2, end, 38, "x.x. xxxx", 0.25, 72);
}

void breakdown(Band& band, double start) {
  std::vector<Chord> chords = progression(kA, "6 7 3 3", start, 4);
  band.arp.pattern(chords, 57, "0 1 2 3 2 1 2 3", 0.5, 58);
  band.pad.pad(chords, 55, 4, 60);
  band.drums.hits(start + 8, start + 16, 36, "x... x... x... x...", 0.25, 80);
  band.drums.hits(start + 12, start + 16, 38, "x.x. x.x. xxxx XXXX", 0.25, 64);
}

void ending(Band& band, double start) {
  std::vector<Chord> chords = progression(kB, "6 7 1:8", start, 4);
  band.pad.pad(chords, 55, 4, 66);
  band.bass.pattern(progression(kB, "6 7", start, 4), 35, "0o0o 0o0o", 0.5, 86);
  band.bass.play(start + 8, 8, kB.key(-13), 90);
  band.arp.pattern(chords, 59, "0123 1234 0123 1234", 0.25, 60);
  band.lead.melody(kB, "| 1':3 7:1 6:4 | 7:3 1':1 2':4 | 1':16 |", start, 92);
  groove(band, start, start + 8, true);
  band.drums.hits(start + 8, start + 9, 49, "x", 1, 96);
  band.drums.hits(start + 8, start + 9, 36, "x", 1, 100);
}

}  // namespace

Song compose_synth_pop() {
  Song song("Neon Lines", 122, kFourFour, 0, true);
  Band band{song.part("Saw lead", 0, 81).mix(42, 64, 50, 40).feel(5, 3, 0.9),
            song.part("Arpeggio", 1, 80).mix(58, 88, 60).feel(8, 0, 0.6),
            song.part("Warm pad", 2, 89).mix(58, 40, 80, 60).feel(3, 0, 1.0),
            song.part("Synth bass", 3, 38).mix(76, 64, 20).feel(6, 0, 0.75),
            song.part("Drums", kDrumChannel, 0).mix(104, 64, 30).feel(6, 2, 0.5)};
  std::vector<Chord> intro = progression(kA, "1 6 3 7", 0, 4);
  band.arp.pattern(intro, 57, "0 1 2 3 2 1 2 3", 0.5, 60);
  band.bass.pattern(intro, 33, "0o0o 0o0o", 0.5, 80);
  groove(band, song.bar(2), song.bar(4), false);
  backing(band, kA, kVerseChords, song.bar(4), false);
  band.lead.melody(kA, kVerse, song.bar(4), 88);
  backing(band, kA, kChorusChords, song.bar(12), true);
  band.lead.melody(kA, kChorus, song.bar(12), 96);
  breakdown(band, song.bar(20));
  backing(band, kA, kVerseChords, song.bar(24), true);
  band.lead.melody(kA, kVerse, song.bar(24), 90);
  backing(band, kA, kChorusChords, song.bar(32), true);
  band.lead.melody(kA, kChorus, song.bar(32), 98);
  backing(band, kB, kChorusChords, song.bar(40), true);
  band.lead.melody(kB, kChorus, song.bar(40), 100);
  ending(band, song.bar(48));
  return song;
}

}  // namespace quarlyn
