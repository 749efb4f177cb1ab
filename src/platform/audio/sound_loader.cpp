#include "platform/audio/sound_loader.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>

#include "platform/checked_file.h"

namespace quarlyn {
namespace {

// A pipe or device put in the playlist (or swapped in after a probe) can never hang a read.
std::optional<std::vector<char>> read_regular_file(const std::string& path, std::size_t max_bytes,
                                                   std::size_t wanted) {
  CheckedFile file = CheckedFile::open(path, max_bytes);
  if (!file) return std::nullopt;
  std::vector<char> bytes(std::min(static_cast<std::size_t>(file.size()), wanted));
  if (!file.read_exactly(bytes.data(), bytes.size())) return std::nullopt;
  return bytes;
}

// The one refusal a person could not tell from a broken file, so it is said.
void report_too_large(const std::string& path, std::size_t max_bytes) {
  std::fprintf(stderr, "quarlyn: %s is not played: it is larger than %zu MiB\n", path.c_str(), max_bytes >> 20);
}

// A converted wave keeps the converter's working buffer, which for a change of rate is several
// times the sound's size.
void fit_buffer(Mix_Chunk& chunk) {
  if (chunk.allocated == 0 || chunk.alen == 0) return;
  if (void* fitted = SDL_realloc(chunk.abuf, chunk.alen)) chunk.abuf = static_cast<Uint8*>(fitted);
}

}  // namespace

void ChunkDeleter::operator()(Mix_Chunk* chunk) const {
  const std::lock_guard lock(*mixer_lock);
  Mix_FreeChunk(chunk);
}

SoundKind probe_sound_file(const std::string& path) {
  CheckedFile file = CheckedFile::open(path, kMaxSoundFileBytes);
  if (file.status() == CheckedFile::Status::kTooLarge) report_too_large(path, kMaxSoundFileBytes);
  std::optional<std::string> head;
  if (file) head = file.read_prefix(kSoundSignatureBytes);
  if (!head || head->size() < kSoundSignatureBytes) return SoundKind::kNone;
  const SoundKind kind = sound_kind_of(*head);
  if (file.size() <= max_sound_file_bytes(kind)) return kind;
  report_too_large(path, max_sound_file_bytes(kind));
  return SoundKind::kNone;
}

std::optional<std::vector<char>> read_sound(const std::string& path, SoundKind kind) {
  const std::size_t max_bytes = max_sound_file_bytes(kind);
  std::optional<std::vector<char>> bytes = read_regular_file(path, max_bytes, max_bytes);
  if (!bytes) return std::nullopt;
  const std::string_view text(bytes->data(), bytes->size());
  if (!sound_bytes_well_formed(text, kind)) return std::nullopt;
  if (kind == SoundKind::kMidi && !midi_density_bearable(text)) return std::nullopt;
  return bytes;
}

LoadedSound decode_sound(std::vector<char> bytes, SoundKind kind, std::mutex& mixer_lock, MusicSynth& music,
                         TuneCache& cache) {
  LoadedSound sound;
  if (kind == SoundKind::kMidi) {
    sound.cached = cache.open(bytes);
    if (sound.cached || music.prepare(installed_soundfont())) sound.tune = std::move(bytes);
    return sound;
  }
  SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (source == nullptr) return sound;
  // One decoding at a time: two wave files converted at once on two threads can fail.
  const std::lock_guard lock(mixer_lock);
  sound.chunk = ChunkPtr(Mix_LoadWAV_RW(source, 1), ChunkDeleter{&mixer_lock});
  if (sound.chunk) fit_buffer(*sound.chunk);
  return sound;
}

}  // namespace quarlyn
