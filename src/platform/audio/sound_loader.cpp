#include "platform/audio/sound_loader.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "platform/checked_file.h"

namespace quarlyn {
namespace {

// A pipe or device put in the playlist (or swapped in after a probe) can never hang a read.
std::optional<std::vector<char>> read_regular_file(const std::string& path, std::size_t wanted) {
  CheckedFile file = CheckedFile::open(path, kMaxSoundFileBytes);
  if (!file) return std::nullopt;
  std::vector<char> bytes(std::min(static_cast<std::size_t>(file.size()), wanted));
  if (!file.read_exactly(bytes.data(), bytes.size())) return std::nullopt;
  return bytes;
}

LoadedSound decode(std::vector<char> bytes, SoundKind kind, std::mutex& music_lock) {
  SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (source == nullptr) return {};
  LoadedSound sound;
  // One load at a time: two wave files converted at once on two threads can fail.
  const std::lock_guard lock(music_lock);
  if (kind == SoundKind::kWave) {
    sound.chunk.reset(Mix_LoadWAV_RW(source, 1));
    return sound;
  }
  Mix_Music* music = Mix_LoadMUSType_RW(source, MUS_MID, 1);
  sound.music = MusicPtr(music, MusicDeleter{&music_lock, std::move(bytes)});
  return sound;
}

}  // namespace

void MusicDeleter::operator()(Mix_Music* music) const {
  const std::lock_guard lock(*music_lock);
  Mix_FreeMusic(music);
}

SoundKind probe_sound_file(const std::string& path) {
  const std::optional<std::vector<char>> head = read_regular_file(path, kSoundSignatureBytes);
  if (!head || head->size() < kSoundSignatureBytes) return SoundKind::kNone;
  return sound_kind_of(std::string_view(head->data(), head->size()));
}

LoadedSound load_sound(const std::string& path, SoundKind kind, std::mutex& music_lock) {
  std::optional<std::vector<char>> bytes = read_regular_file(path, kMaxSoundFileBytes);
  if (!bytes || !sound_bytes_well_formed(std::string_view(bytes->data(), bytes->size()), kind)) return {};
  if (kind == SoundKind::kMidi && !midi_density_bearable(std::string_view(bytes->data(), bytes->size()))) return {};
  return decode(std::move(*bytes), kind, music_lock);
}

}  // namespace quarlyn
