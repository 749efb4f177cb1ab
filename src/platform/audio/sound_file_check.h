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
// - Neither reads outside the bytes given, whatever they are.
// Header-only, so that the fuzz target, which links no audio library, can test it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quarlyn {

enum class SoundKind { kNone, kMidi, kWave };

// Larger files are refused before they are read: no tune or effect comes near this.
inline constexpr std::size_t kMaxSoundFileBytes = std::size_t{64} << 20;
inline constexpr std::size_t kSoundSignatureBytes = 12;

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

}  // namespace sound_check_detail

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

}  // namespace quarlyn
