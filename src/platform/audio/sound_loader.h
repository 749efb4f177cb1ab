// Reading and decoding the file of a multimedia control.
//
// Contract:
// - `probe_sound_file` judges a file from what is cheap to see, without blocking: a regular
//   file (never a pipe or a device) within `kMaxSoundFileBytes`, and the kind its signature
//   announces. Anything else is `SoundKind::kNone`.
// - `read_sound` reads the whole file the same way and checks its layout and, for a tune, that
//   the synthesizer can keep up with it (sound_file_check.h); it needs no audio device. Any
//   failure gives no bytes.
// - `decode_sound` lets SDL_mixer decode checked bytes: a MIDI file into a tune, a wave file
//   into a chunk in the device's format. It needs the device open; a failure gives an empty
//   `LoadedSound`. Both may run on any thread; sounds are decoded and freed under
//   `mixer_lock`, since the mixer and the synthesizer behind them are shared.
#pragma once

#include <SDL_mixer.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio/sound_file_check.h"

namespace quarlyn {

struct ChunkDeleter {
  std::mutex* mixer_lock = nullptr;
  void operator()(Mix_Chunk* chunk) const;
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, ChunkDeleter>;

// Holds the tune's file too: SDL_mixer may read it until the tune is freed, and a unique_ptr
// calls its deleter before letting go of it.
struct MusicDeleter {
  std::mutex* mixer_lock = nullptr;
  std::vector<char> bytes;
  void operator()(Mix_Music* music) const;
};
using MusicPtr = std::unique_ptr<Mix_Music, MusicDeleter>;

struct LoadedSound {
  MusicPtr music;
  ChunkPtr chunk;
};

SoundKind probe_sound_file(const std::string& path);
std::optional<std::vector<char>> read_sound(const std::string& path, SoundKind kind);
LoadedSound decode_sound(std::vector<char> bytes, SoundKind kind, std::mutex& mixer_lock);

}  // namespace quarlyn
