// Reading and decoding the file of a multimedia control.
//
// Contract:
// - `probe_sound_file` judges a file from what is cheap to see, without blocking: a regular
//   file (never a pipe or a device) within the bound of the kind its signature announces
//   (`max_sound_file_bytes`), and that kind. Anything else is `SoundKind::kNone`; a file too
//   large to play says so in one line on stderr.
// - `read_sound` reads the whole file the same way and checks its layout and, for a tune, that
//   the synthesizer can keep up with it (sound_file_check.h); it needs no audio device. Any
//   failure gives no bytes.
// - `decode_sound` makes checked bytes playable: a wave file becomes a chunk in the device's
//   format (SDL_mixer converts it, so the device must be open), a MIDI file stays as it is,
//   with its entry in the tune cache when there is one, else once the synthesizer has its
//   soundfont. A failure gives an empty `LoadedSound`. Both may run on any thread; waves are
//   decoded and freed under `mixer_lock`, since the mixer is shared.
#pragma once

#include <SDL_mixer.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio/music_synth.h"
#include "platform/audio/sound_file_check.h"
#include "platform/audio/tune_cache.h"

namespace quarlyn {

struct ChunkDeleter {
  std::mutex* mixer_lock = nullptr;
  void operator()(Mix_Chunk* chunk) const;
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, ChunkDeleter>;

struct LoadedSound {
  std::vector<char> tune;  // a MIDI file, for MusicSynth
  std::shared_ptr<CachedTune> cached;  // the tune rendered before, when it was
  ChunkPtr chunk;
  bool decoded() const { return !tune.empty() || chunk; }
};

SoundKind probe_sound_file(const std::string& path);
std::optional<std::vector<char>> read_sound(const std::string& path, SoundKind kind);
LoadedSound decode_sound(std::vector<char> bytes, SoundKind kind, std::mutex& mixer_lock, MusicSynth& music,
                         TuneCache& cache);

}  // namespace quarlyn
