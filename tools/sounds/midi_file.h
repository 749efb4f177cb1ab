// A small Standard MIDI File writer: format 1, one chunk per track, no running status.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace quarlyn {

// One track; events may be added in any order and are sorted when the chunk is written.
class MidiTrack {
 public:
  void name(std::string_view text);
  void tempo(uint32_t tick, double quarters_per_minute);
  void time_signature(uint32_t tick, int numerator, int denominator);
  void key_signature(uint32_t tick, int sharps, bool minor);
  void program(uint32_t tick, int channel, int program);
  void control(uint32_t tick, int channel, int controller, int value);
  void note(uint32_t tick, uint32_t length, int channel, int key, int velocity);

  // "MTrk", its length, the delta-timed events and an end of track at `end_tick`.
  std::vector<uint8_t> chunk(uint32_t end_tick) const;

 private:
  // At one tick, meta events come first, then set-up messages, then note-offs before note-ons
  // so a repeated key is released before it sounds again.
  enum Rank { kMeta, kSetup, kNoteOff, kNoteOn };
  struct Event {
    uint32_t tick;
    Rank rank;
    std::vector<uint8_t> bytes;
  };
  void add(uint32_t tick, Rank rank, std::vector<uint8_t> bytes);

  std::vector<Event> events_;
};

// The header chunk followed by every track's chunk, all tracks ending at `end_tick`.
std::vector<uint8_t> midi_file(const std::vector<MidiTrack>& tracks, int ticks_per_quarter, uint32_t end_tick);

}  // namespace quarlyn
