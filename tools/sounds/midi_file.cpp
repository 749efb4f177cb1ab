#include "midi_file.h"

#include <algorithm>
#include <cmath>

namespace quarlyn {
namespace {

uint8_t data_byte(int value) { return static_cast<uint8_t>(std::clamp(value, 0, 127)); }
uint8_t status(int kind, int channel) { return static_cast<uint8_t>(kind | (channel & 0x0f)); }

void append_big_endian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void append_chunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
  out.insert(out.end(), id, id + 4);
  append_big_endian(out, static_cast<uint32_t>(body.size()), 4);
  out.insert(out.end(), body.begin(), body.end());
}

void append_variable_length(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t groups[5];
  int count = 0;
  do {
    groups[count++] = static_cast<uint8_t>(value & 0x7f);
    value >>= 7;
  } while (value != 0);
  while (count > 1) out.push_back(static_cast<uint8_t>(groups[--count] | 0x80));
  out.push_back(groups[0]);
}

}  // namespace

void MidiTrack::add(uint32_t tick, Rank rank, std::vector<uint8_t> bytes) {
  events_.push_back({tick, rank, std::move(bytes)});
}

void MidiTrack::name(std::string_view text) {
  std::vector<uint8_t> bytes = {0xff, 0x03};
  append_variable_length(bytes, static_cast<uint32_t>(text.size()));
  bytes.insert(bytes.end(), text.begin(), text.end());
  add(0, kMeta, std::move(bytes));
}

void MidiTrack::tempo(uint32_t tick, double quarters_per_minute) {
  std::vector<uint8_t> bytes = {0xff, 0x51, 0x03};
  append_big_endian(bytes, static_cast<uint32_t>(std::lround(60'000'000.0 / quarters_per_minute)), 3);
  add(tick, kMeta, std::move(bytes));
}

void MidiTrack::time_signature(uint32_t tick, int numerator, int denominator) {
  uint8_t power = 0;
  while ((1 << power) < denominator) ++power;
  // 24 clocks per metronome click and 8 thirty-seconds per quarter: the usual values.
  add(tick, kMeta, {0xff, 0x58, 0x04, data_byte(numerator), power, 24, 8});
}

void MidiTrack::key_signature(uint32_t tick, int sharps, bool minor) {
  add(tick, kMeta,
      {0xff, 0x59, 0x02, static_cast<uint8_t>(static_cast<int8_t>(sharps)), minor ? uint8_t{1} : uint8_t{0}});
}

void MidiTrack::program(uint32_t tick, int channel, int program) {
  add(tick, kSetup, {status(0xc0, channel), data_byte(program)});
}

void MidiTrack::control(uint32_t tick, int channel, int controller, int value) {
  add(tick, kSetup, {status(0xb0, channel), data_byte(controller), data_byte(value)});
}

void MidiTrack::note(uint32_t tick, uint32_t length, int channel, int key, int velocity) {
  add(tick, kNoteOn, {status(0x90, channel), data_byte(key), data_byte(std::max(velocity, 1))});
  add(tick + std::max<uint32_t>(length, 1), kNoteOff, {status(0x80, channel), data_byte(key), 0});
}

std::vector<uint8_t> MidiTrack::chunk(uint32_t end_tick) const {
  std::vector<const Event*> order;
  for (const Event& event : events_) order.push_back(&event);
  std::stable_sort(order.begin(), order.end(), [](const Event* a, const Event* b) {
    return a->tick != b->tick ? a->tick < b->tick : a->rank < b->rank;
  });
  std::vector<uint8_t> body;
  uint32_t now = 0;
  for (const Event* event : order) {
    append_variable_length(body, event->tick - now);
    body.insert(body.end(), event->bytes.begin(), event->bytes.end());
    now = event->tick;
  }
  append_variable_length(body, std::max(end_tick, now) - now);
  body.insert(body.end(), {0xff, 0x2f, 0x00});
  std::vector<uint8_t> out;
  append_chunk(out, "MTrk", body);
  return out;
}

std::vector<uint8_t> midi_file(const std::vector<MidiTrack>& tracks, int ticks_per_quarter, uint32_t end_tick) {
  std::vector<uint8_t> header;
  append_big_endian(header, 1, 2);
  append_big_endian(header, static_cast<uint32_t>(tracks.size()), 2);
  append_big_endian(header, static_cast<uint32_t>(ticks_per_quarter), 2);
  std::vector<uint8_t> out;
  append_chunk(out, "MThd", header);
  for (const MidiTrack& track : tracks) {
    std::vector<uint8_t> chunk = track.chunk(end_tick);
    out.insert(out.end(), chunk.begin(), chunk.end());
  }
  return out;
}

}  // namespace quarlyn
