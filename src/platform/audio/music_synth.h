// The synthesizer that plays MIDI tunes as the mixer's music stream.
//
// Contract:
// - The synthesizer is made once, at the first `prepare()`, which loads the soundfont; that takes a
//   moment, so it runs on a worker, and a `prepare()` on another thread meanwhile waits for it.
//   Without a soundfont `prepare()` fails and tunes stay silent.
// - Set for background music: a modest polyphony, no reverb or chorus, rendering straight at the
//   mixer's rate, and only the samples of the instruments in use read from the soundfont (see
//   music_synth.cpp for what each saves).
// - `play` starts a tune (a MIDI file's bytes) from a clean synthesizer, cutting off the one
//   before (false when it cannot start: no synthesizer, or bytes it cannot read);
//   `play_cached` plays a tune rendered before (tune_cache.h) instead; `stop` cuts either off.
//   `playing()` is true from a play until the tune's end or `stop`.
// - `render` fills the mixer's buffer (16-bit stereo frames) on the sound thread, silence when
//   nothing plays. A mutex of its own keeps it apart from `play` and `stop`, which may wait
//   for one buffer's rendering.
#pragma once

#include <fluidsynth.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quarlyn {

class CachedTune;

class MusicSynth {
 public:
  // What the synthesizer is set to; `for_background()` is what the saver plays with.
  struct Tuning {
    int sample_rate;
    int polyphony;
    bool reverb;
    bool chorus;
    int interpolation;  // 0 none, 1 linear, 4 fourth order, 7 seventh order
    double gain;
    static Tuning for_background(int sample_rate);
  };

  explicit MusicSynth(const Tuning& tuning);
  ~MusicSynth();
  MusicSynth(const MusicSynth&) = delete;
  MusicSynth& operator=(const MusicSynth&) = delete;

  // Makes the synthesizer with `soundfont` the first time; false when it cannot be read.
  bool prepare(const std::string& soundfont);

  bool play(const std::vector<char>& tune);
  // Plays a tune rendered before, from its start; needs no `prepare()`.
  void play_cached(std::shared_ptr<CachedTune> tune);
  void stop();
  bool playing() const;
  // Playing, or its last notes still fading.
  bool sounding() const;

  void render(int16_t* frames, int frame_count);
  // For the sound thread of SDL_mixer's music hook.
  static void render_hook(void* synth, uint8_t* stream, int bytes);

 private:
  void drop_player();
  // A tune's last notes still sounding after its end; with `lock_` held.
  bool fading() const;
  void render_cached(int16_t* frames, int frame_count);

  Tuning tuning_;
  // Held while the synthesizer is made, apart from `lock_`, so that the sound thread never waits
  // for a soundfont to load.
  std::mutex making_lock_;
  mutable std::mutex lock_;  // guards synth_ (once made) and player_
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  fluid_player_t* player_ = nullptr;
  std::shared_ptr<CachedTune> cached_;
  // Read without the lock, so that asking never waits for a buffer's rendering.
  std::atomic<bool> playing_ = false;
};

// The first of `candidates` that is a readable regular file, or "" when none is.
std::string first_existing_file(const std::vector<std::string>& candidates);

// The General MIDI soundfont tunes play with: the first of Debian's that is installed, or ""
// when none is.
std::string installed_soundfont();

}  // namespace quarlyn
