// Tunes rendered once and kept, compressed (Ogg Vorbis, about 0.8 MB a minute), so that a tune
// heard before costs the sound thread only its decoding, a fifth of synthesizing it.
//
// Contract:
// - The cache is one folder (made when first written; "" turns the cache off). An entry is
//   named by a hash of the tune's bytes, the soundfont (path, size, change time) and the
//   synthesizer's tuning, so that a changed tune, soundfont or tuning is rendered anew.
// - `open` gives the entry of a tune when there is a valid one (an Ogg Vorbis file at the tuning's
//   rate in stereo, read whole through the checked reader), and marks it as used; an entry
//   that is not valid is removed.
// - `render_later` renders a tune into its entry on a worker of the lowest priority, with a
//   synthesizer of its own: into a temporary file, renamed into place once whole. One render
//   at a time; a tune asked for while another renders is asked for again at its next play.
//   A tune longer than `kMaxSeconds` (with its last notes fading) is not kept. After each
//   render the entries used longest ago are removed until the folder holds at most
//   `max_bytes`.
// - Destruction stops a render under way, removing its temporary file.
#pragma once

#include <sndfile.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/music_synth.h"

namespace quarlyn {

// An entry read into memory, so that the sound thread that decodes it never waits for a disk
// or a network file system.
class CachedTune {
 public:
  // Nothing when `bytes` are not an entry in the tuning's format.
  static std::shared_ptr<CachedTune> decode(std::string bytes, int sample_rate);
  ~CachedTune();
  CachedTune(const CachedTune&) = delete;
  CachedTune& operator=(const CachedTune&) = delete;

  void rewind();
  // Frames decoded; fewer than asked at the end of the tune or where the entry is damaged.
  int read(int16_t* frames, int frame_count);

 private:
  explicit CachedTune(std::string bytes) : bytes_(std::move(bytes)) {}
  static SF_VIRTUAL_IO memory_io();

  std::string bytes_;
  sf_count_t position_ = 0;
  SNDFILE* sound_ = nullptr;
};

class TuneCache {
 public:
  static constexpr uint64_t kDefaultMaxBytes = 64ULL << 20;
  static constexpr int kMaxSeconds = 20 * 60;

  TuneCache(std::filesystem::path folder, const MusicSynth::Tuning& tuning, uint64_t max_bytes = kDefaultMaxBytes);
  ~TuneCache();
  TuneCache(const TuneCache&) = delete;
  TuneCache& operator=(const TuneCache&) = delete;

  std::shared_ptr<CachedTune> open(const std::vector<char>& tune);
  void render_later(const std::vector<char>& tune);
  // Whether a render is under way.
  bool rendering();

  std::filesystem::path entry_path(const std::vector<char>& tune) const;
  void remove_oldest_beyond_limit() const;

 private:
  void render(std::vector<char> tune, std::filesystem::path entry);

  std::filesystem::path folder_;
  MusicSynth::Tuning tuning_;
  uint64_t max_bytes_;
  std::future<void> render_;
  std::atomic<bool> stopping_ = false;
};

// "$XDG_CACHE_HOME/<application>/tunes", with the home folder's ".cache" when the variable is
// unset or relative (see user_folders.h).
std::filesystem::path tune_cache_folder(const std::string& application);

}  // namespace quarlyn
