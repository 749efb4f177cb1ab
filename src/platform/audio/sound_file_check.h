// Cheap checks of a sound file's bytes before SDL_mixer parses them.
//
// Contract:
// - `sound_kind_of` tells the kind that the first `kSoundSignatureBytes` announce: "MThd" for a
//   MIDI file, "RIFF" with "WAVE" for a wave file, otherwise none.
// - `sound_bytes_well_formed` accepts a whole file of that kind only if its layout holds: a MIDI
//   header of sane values and as many track chunks as it declares, each inside the file; a wave
//   file's "fmt " chunk of sane values before its "data" chunk, every chunk before "data" inside
//   the file. Bytes after the last needed chunk, and a "data" chunk cut short (an interrupted
//   recording), are accepted.
// - `midi_density_bearable` accepts a well-formed MIDI file only if the synthesizer can keep up
//   with it: no 100 ms of playing time starts more than `kMaxNotesPer100Ms` notes, and the tune
//   holds at most `kMaxMidiEvents` events (the synthesizer reads the whole tune on the audio
//   thread when it starts). Unreadable events are refused.
// - `midi_playing_seconds` tells how long a MIDI file that `midi_density_bearable` accepts plays,
//   to the end of its last track; nothing for any other.
// - None reads outside the bytes given, whatever they are.
// Header-only, so that the fuzz target, which links no audio library, can test it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <queue>
#include <string_view>
#include <utility>
#include <vector>

namespace quarlyn {

enum class SoundKind { kNone, kMidi, kWave };

// Larger files are refused before they are read. No MIDI tune comes near its bound; a wave
// file's is 25 minutes at CD quality, which the device holds converted in 190 MiB.
inline constexpr std::size_t kMaxMidiFileBytes = std::size_t{64} << 20;
inline constexpr std::size_t kMaxWaveFileBytes = std::size_t{256} << 20;
inline constexpr std::size_t kMaxSoundFileBytes = kMaxWaveFileBytes;
inline constexpr std::size_t kSoundSignatureBytes = 12;
// Measured: 500 notes started in each 100 ms keep the synthesizer's share of an audio period
// near 14 ms, and 500,000 events take it about 40 ms to read. Real tunes stay far below both.
inline constexpr std::size_t kMaxNotesPer100Ms = 500;
inline constexpr std::size_t kMaxMidiEvents = 500000;

namespace sound_check_detail {

inline uint32_t big_endian(std::string_view bytes, std::size_t at, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

inline uint32_t little_endian(std::string_view bytes, std::size_t at, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// Trailing bytes after the declared tracks are tolerated: some writers pad files.
inline bool midi_well_formed(std::string_view bytes) {
  if (bytes.size() < 14 || bytes.substr(0, 4) != "MThd") return false;
  const uint32_t header_length = big_endian(bytes, 4, 4);
  if (header_length < 6 || header_length > bytes.size() - 8) return false;
  const uint32_t format = big_endian(bytes, 8, 2);
  const uint32_t tracks = big_endian(bytes, 10, 2);
  if (format > 2 || tracks == 0 || big_endian(bytes, 12, 2) == 0) return false;
  std::size_t at = 8 + header_length;
  uint32_t found = 0;
  while (found < tracks) {
    if (bytes.size() - at < 8) return false;
    const uint32_t length = big_endian(bytes, at + 4, 4);
    if (length > bytes.size() - at - 8) return false;
    if (bytes.substr(at, 4) == "MTrk") ++found;
    at += 8 + length;
  }
  return true;
}

inline bool wave_format_sane(std::string_view bytes, std::size_t body, uint32_t length) {
  if (length < 16) return false;
  const uint32_t channels = little_endian(bytes, body + 2, 2);
  const uint32_t rate = little_endian(bytes, body + 4, 4);
  const uint32_t block_align = little_endian(bytes, body + 12, 2);
  return channels >= 1 && channels <= 8 && rate >= 1 && rate <= 768000 && block_align >= 1;
}

inline bool wave_well_formed(std::string_view bytes) {
  if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") return false;
  bool format_seen = false;
  std::size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const std::string_view tag = bytes.substr(at, 4);
    const uint32_t length = little_endian(bytes, at + 4, 4);
    const std::size_t body = at + 8;
    if (tag == "data") return format_seen;
    if (length > bytes.size() - body) return false;
    if (tag == "fmt ") {
      if (!wave_format_sane(bytes, body, length)) return false;
      format_seen = true;
    }
    at = body + length + (length & 1);  // chunks are padded to an even length
  }
  return false;
}

// Steps through one track chunk's events.
class MidiTrackCursor {
 public:
  enum class Event { kNote, kTempo, kOther, kEnd, kUnreadable };

  MidiTrackCursor(std::string_view bytes, std::size_t at, std::size_t end) : bytes_(bytes), at_(at), end_(end) {}

  // Reads the time before the next event; false at the end of the track.
  bool advance() {
    uint32_t delta = 0;
    for (int count = 0;; ++count) {
      if (at_ >= end_ || count == 4) return false;
      const auto byte = static_cast<unsigned char>(bytes_[at_++]);
      delta = delta << 7 | (byte & 0x7F);
      if ((byte & 0x80) == 0) break;
    }
    tick_ += delta;
    return true;
  }

  uint64_t tick() const { return tick_; }
  uint32_t tempo() const { return tempo_; }

  // Reads the event whose time `advance` read. A track cut off inside an event ends there.
  Event read() {
    if (at_ >= end_) return Event::kEnd;
    uint8_t status = status_;
    if (static_cast<unsigned char>(bytes_[at_]) & 0x80) status = static_cast<unsigned char>(bytes_[at_++]);
    if (status == 0xFF) return read_meta();
    if (status == 0xF0 || status == 0xF7) return skip(read_length()) ? Event::kOther : Event::kEnd;
    if (status == 0 || status >= 0xF0) return Event::kUnreadable;
    status_ = status;  // only channel messages set the running status
    const uint8_t type = status & 0xF0;
    const std::size_t data_bytes = type == 0xC0 || type == 0xD0 ? 1 : 2;
    if (end_ - at_ < data_bytes) return Event::kEnd;
    const bool note_on = type == 0x90 && bytes_[at_ + 1] != 0;  // velocity 0 ends a note
    at_ += data_bytes;
    return note_on ? Event::kNote : Event::kOther;
  }

 private:
  Event read_meta() {
    if (at_ >= end_) return Event::kEnd;
    const auto type = static_cast<unsigned char>(bytes_[at_++]);
    const uint64_t length = read_length();
    if (type == 0x2F) return Event::kEnd;
    if (type == 0x51 && length == 3 && end_ - at_ >= 3) {
      tempo_ = big_endian(bytes_, at_, 3);
      at_ += 3;
      return Event::kTempo;
    }
    return skip(length) ? Event::kOther : Event::kEnd;
  }

  uint64_t read_length() {
    uint64_t length = 0;
    for (int count = 0; count < 4 && at_ < end_; ++count) {
      const auto byte = static_cast<unsigned char>(bytes_[at_++]);
      length = length << 7 | (byte & 0x7F);
      if ((byte & 0x80) == 0) return length;
    }
    return end_;  // cut off: more than is left
  }

  bool skip(uint64_t length) {
    if (length > end_ - at_) return false;
    at_ += static_cast<std::size_t>(length);
    return true;
  }

  std::string_view bytes_;
  std::size_t at_;
  std::size_t end_;
  uint64_t tick_ = 0;
  uint8_t status_ = 0;
  uint32_t tempo_ = 0;
};

// The playing time of a tick: set by the tempo, or fixed by an SMPTE time division.
class MidiClock {
 public:
  explicit MidiClock(uint32_t division) : ticks_per_quarter_(division), smpte_((division & 0x8000) != 0) {
    if (smpte_) {
      const int frames_per_second = -static_cast<int8_t>(division >> 8);
      const double ticks_per_second = frames_per_second * static_cast<double>(division & 0xFF);
      smpte_us_per_tick_ = ticks_per_second > 0 ? 1e6 / ticks_per_second : 0;
    }
  }

  // In microseconds; `tick` never lies before the tick of the last call.
  double time_at(uint64_t tick) {
    time_ += static_cast<double>(tick - tick_) * us_per_tick();
    tick_ = tick;
    return time_;
  }

  void set_tempo(uint32_t us_per_quarter) { us_per_quarter_ = us_per_quarter; }

 private:
  double us_per_tick() const {
    return smpte_ ? smpte_us_per_tick_ : static_cast<double>(us_per_quarter_) / ticks_per_quarter_;
  }

  uint32_t ticks_per_quarter_;
  bool smpte_;
  double smpte_us_per_tick_ = 0;
  uint32_t us_per_quarter_ = 500000;  // 120 quarters a minute until a tempo is set
  uint64_t tick_ = 0;
  double time_ = 0;
};

// The start times of the last `kMaxNotesPer100Ms` notes, oldest first in turn.
class NoteWindow {
 public:
  // False when the note at `time_us` would be one too many for its 100 ms.
  bool add(double time_us) {
    const std::size_t oldest = count_ % kMaxNotesPer100Ms;
    if (count_ >= kMaxNotesPer100Ms && time_us - starts_[oldest] < 100000) return false;
    starts_[oldest] = time_us;
    ++count_;
    return true;
  }

 private:
  std::vector<double> starts_ = std::vector<double>(kMaxNotesPer100Ms);
  std::size_t count_ = 0;
};

inline std::vector<MidiTrackCursor> midi_tracks(std::string_view bytes) {
  std::vector<MidiTrackCursor> tracks;
  const uint32_t declared = big_endian(bytes, 10, 2);
  std::size_t at = 8 + big_endian(bytes, 4, 4);
  while (tracks.size() < declared) {
    const std::size_t end = at + 8 + big_endian(bytes, at + 4, 4);
    if (bytes.substr(at, 4) == "MTrk") tracks.emplace_back(bytes, at + 8, end);
    at = end;
  }
  return tracks;
}

// Plays the tracks through together in time order, the tempo set by any of them, handing each
// event and its time to `on_event`; false when that refuses one, or an event is unreadable, or
// there are more than `kMaxMidiEvents`.
template <typename OnEvent>
bool for_each_midi_event(std::string_view bytes, OnEvent&& on_event) {
  std::vector<MidiTrackCursor> tracks = midi_tracks(bytes);
  using Next = std::pair<uint64_t, std::size_t>;  // tick, track
  std::priority_queue<Next, std::vector<Next>, std::greater<>> due;
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    if (tracks[i].advance()) due.emplace(tracks[i].tick(), i);
  }
  MidiClock clock(big_endian(bytes, 12, 2));
  std::size_t events = 0;
  while (!due.empty()) {
    const std::size_t index = due.top().second;
    MidiTrackCursor& track = tracks[index];
    due.pop();
    const MidiTrackCursor::Event event = track.read();
    if (event == MidiTrackCursor::Event::kUnreadable || ++events > kMaxMidiEvents) return false;
    if (!on_event(event, clock.time_at(track.tick()))) return false;
    if (event == MidiTrackCursor::Event::kEnd) continue;
    if (event == MidiTrackCursor::Event::kTempo) clock.set_tempo(track.tempo());
    if (track.advance()) due.emplace(track.tick(), index);
  }
  return true;
}

}  // namespace sound_check_detail

inline std::size_t max_sound_file_bytes(SoundKind kind) {
  return kind == SoundKind::kMidi ? kMaxMidiFileBytes : kMaxWaveFileBytes;
}

inline SoundKind sound_kind_of(std::string_view head) {
  if (head.size() >= 4 && head.substr(0, 4) == "MThd") return SoundKind::kMidi;
  if (head.size() >= 12 && head.substr(0, 4) == "RIFF" && head.substr(8, 4) == "WAVE") return SoundKind::kWave;
  return SoundKind::kNone;
}

inline bool sound_bytes_well_formed(std::string_view bytes, SoundKind kind) {
  switch (kind) {
    case SoundKind::kMidi:
      return sound_check_detail::midi_well_formed(bytes);
    case SoundKind::kWave:
      return sound_check_detail::wave_well_formed(bytes);
    case SoundKind::kNone:
      break;
  }
  return false;
}

inline bool midi_density_bearable(std::string_view bytes) {
  using sound_check_detail::MidiTrackCursor;
  if (!sound_check_detail::midi_well_formed(bytes)) return false;
  sound_check_detail::NoteWindow window;
  return sound_check_detail::for_each_midi_event(bytes, [&window](MidiTrackCursor::Event event, double time_us) {
    return event != MidiTrackCursor::Event::kNote || window.add(time_us);
  });
}

inline std::optional<double> midi_playing_seconds(std::string_view bytes) {
  if (!sound_check_detail::midi_well_formed(bytes)) return std::nullopt;
  double last_us = 0;
  const bool read = sound_check_detail::for_each_midi_event(bytes, [&last_us](auto, double time_us) {
    last_us = time_us;
    return true;
  });
  if (!read) return std::nullopt;
  return last_us / 1e6;
}

}  // namespace quarlyn
