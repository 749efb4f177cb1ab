// Tunes rendered once and kept, compressed (Ogg Vorbis, about 0.8 MB a minute), so that a tune
// heard before costs the sound thread only its decoding, a fifth of synthesizing it.
//
// Contract:
// - The cache is one folder ("" turns the cache off), made by the cache for its owner alone. A
//   folder that is a symbolic link, is not the user's own or that others may write into is
//   never used: tunes then play live. The cache writes, counts and removes only files with the
//   names it makes, entries "<key>-<frames>.ogg" and temporaries "render-XXXXXX", and removes
//   entries of the name it made before, "<key>.ogg", which it no longer reads; anything else in
//   the folder is left alone.
// - An entry's key is a hash of the tune's bytes, the soundfont (path, size, change time) and the
//   synthesizer's tuning, so that a changed tune, soundfont or tuning is rendered anew; its name
//   also tells the frames it holds.
// - `open` gives the entry of a tune when there is a valid one (an Ogg Vorbis file at the tuning's
//   rate in stereo holding the frames its name tells, read whole through the checked reader),
//   and marks it as used; an entry that is not valid is removed, and the tune plays live.
// - `render_later` renders a tune into its entry on a worker of the lowest priority, with a
//   synthesizer of its own: into a temporary file the render holds locked, written, synced and
//   read back whole before it is renamed into place. One render at a time; a tune asked for
//   while another renders is asked for again at its next play. A tune that cannot be kept is
//   never rendered: one whose events last longer than `kMaxSeconds`, and for the rest of the run
//   one that proved still sounding at `kMaxSeconds`, or `kMaxFadeSeconds` after its end. After
//   each render, temporaries no render holds and entries of the former name are removed, and
//   then the entries used longest ago until entries and temporaries hold at most `max_bytes`.
// - `shutdown` (and destruction) stops a render under way within a fraction of a second and
//   waits for it; the render removes its temporary file before it ends. Nothing renders after
//   it; calling it again does nothing.
#pragma once

#include <vorbis/vorbisfile.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <future>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/audio/music_synth.h"

namespace quarlyn {

// An entry read into memory, so that the sound thread that decodes it never waits for a disk
// or a network file system. Read with the Vorbis library's own file reader, which frees all it
// made when a damaged entry fails to open. Decoded ahead, 128 ms at a time: decoding at one
// wake-up of the sound thread in four, while the decoder's tables are still in the processor's
// caches, takes it a quarter less time than decoding one mixer buffer at every wake-up (measured
// with the saver's music: 0.35 against 0.45 % of a core).
class CachedTune {
 public:
  // Nothing when `bytes` are not an entry of `frames` in the tuning's format.
  static std::shared_ptr<CachedTune> decode(std::string bytes, int sample_rate, int64_t frames);
  ~CachedTune();
  CachedTune(const CachedTune&) = delete;
  CachedTune& operator=(const CachedTune&) = delete;

  void rewind();
  // Frames decoded; fewer than asked at the end of the tune or where the entry is damaged.
  int read(int16_t* frames, int frame_count);

 private:
  static constexpr int kAheadFrames = 4096;

  explicit CachedTune(std::string bytes) : bytes_(std::move(bytes)), ahead_(kAheadFrames * 2) {}
  static ov_callbacks memory_io();
  // Decodes the next block into `ahead_`; false at the end of the tune. A block ends early at the
  // end or where the entry is damaged, and nothing is decoded after it.
  bool decode_ahead();

  std::string bytes_;
  std::size_t position_ = 0;
  OggVorbis_File vorbis_{};
  bool opened_ = false;
  std::vector<int16_t> ahead_;  // stereo frames
  int ahead_read_ = 0;
  int ahead_decoded_ = 0;
  bool decoded_all_ = false;
};

class TuneCache {
 public:
  static constexpr uint64_t kDefaultMaxBytes = 64ULL << 20;
  static constexpr int kMaxSeconds = 20 * 60;
  static constexpr int kMaxFadeSeconds = 30;

  TuneCache(std::filesystem::path folder, const MusicSynth::Tuning& tuning, uint64_t max_bytes = kDefaultMaxBytes);
  ~TuneCache();
  TuneCache(const TuneCache&) = delete;
  TuneCache& operator=(const TuneCache&) = delete;

  std::shared_ptr<CachedTune> open(const std::vector<char>& tune);
  void render_later(const std::vector<char>& tune);
  // Whether a render is under way.
  bool rendering();
  void shutdown();

  // Where the entry of `tune` holding `frames` lies.
  std::filesystem::path entry_path(const std::vector<char>& tune, int64_t frames) const;
  // The entry of `tune` the folder holds, valid or not; "" when it holds none.
  std::filesystem::path kept_entry(const std::vector<char>& tune) const;
  void remove_oldest_beyond_limit() const;

 private:
  // What a render wrote: its frames, or why it holds none.
  struct Rendered {
    enum class End { kWhole, kUnkeepable, kFailed } end;
    int64_t frames;
  };

  uint64_t key_of(const std::vector<char>& tune) const;
  std::filesystem::path path_of(uint64_t key, int64_t frames) const;
  void render(std::vector<char> tune, uint64_t key);
  Rendered render_into(int file, const std::vector<char>& tune);
  bool written_whole(int file, const std::string& temporary, int64_t frames) const;
  bool known_unkeepable(uint64_t key);
  void remember_unkeepable(uint64_t key);

  std::filesystem::path folder_;
  MusicSynth::Tuning tuning_;
  uint64_t max_bytes_;
  std::future<void> render_;
  std::atomic<bool> stopping_ = false;
  std::mutex unkeepable_lock_;  // the render's worker adds, the caller's thread asks
  std::set<uint64_t> unkeepable_;
};

// "$XDG_CACHE_HOME/<application>/tunes", with the home folder's ".cache" when the variable is
// unset or relative (see user_folders.h).
std::filesystem::path tune_cache_folder(const std::string& application);

}  // namespace quarlyn
