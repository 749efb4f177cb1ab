// Reading and decoding the file of a multimedia control.
//
// Contract:
// - `probe_sound_file` judges a file from what is cheap to see, without blocking: a regular
//   file (never a pipe or a device) within `kMaxSoundFileBytes`, and the kind its signature
//   announces. Anything else is `SoundKind::kNone`.
// - `load_sound` reads the whole file the same way, checks its layout and, for a tune, that the
//   synthesizer can keep up with it (sound_file_check.h), and only then lets SDL_mixer decode it: a MIDI file into a tune, a wave file into a chunk in the
//   device's format. Any failure gives an empty `LoadedSound`. It may run on any thread; tunes
//   are loaded and freed under `music_lock`, since the synthesizer behind them is shared.
#pragma once

#include <SDL_mixer.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/sound_file_check.h"

namespace quarlyn {

struct ChunkDeleter {
  void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, ChunkDeleter>;

// Holds the tune's file too: SDL_mixer may read it until the tune is freed, and a unique_ptr
// calls its deleter before letting go of it.
struct MusicDeleter {
  std::mutex* music_lock = nullptr;
  std::vector<char> bytes;
  void operator()(Mix_Music* music) const;
};
using MusicPtr = std::unique_ptr<Mix_Music, MusicDeleter>;

struct LoadedSound {
  MusicPtr music;
  ChunkPtr chunk;
};

SoundKind probe_sound_file(const std::string& path);
LoadedSound load_sound(const std::string& path, SoundKind kind, std::mutex& music_lock);

}  // namespace quarlyn
