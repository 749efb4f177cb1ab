// The process's one audio output, shared by all multimedia controls of a runtime.
//
// Contract:
// - Nothing touches SDL until the first `wake()`, which opens SDL_mixer at once, at 32000 Hz
//   16-bit stereo whatever the hardware prefers (SDL converts), so that decoded waves stay
//   valid from one opening to the next, and lets the device's `MusicSynth` render the mixer's
//   music stream. If that fails (no sound card, an unknown SDL_AUDIODRIVER, a card another
//   program holds), one line on stderr says so, the first time only, and `wake()` answers
//   `kUnavailable`, so every control stays silent, until a sound asked for a second or more
//   after the failure tries again: on a worker, as from sleep.
// - Once nothing has played for `sleep_after_ms`, the device closes on a worker thread, so
//   that no sound thread runs while all is quiet; the next `wake()` opens it again on a worker
//   and answers `kWaking` until it is open. Opening and closing hold `mixer_lock`.
// - SDL_mixer may be called on the runtime's thread only while `awake()`; nothing plays while
//   the device is not awake.
// - Every control that plays waves gets a mixing channel of its own, so that controls never cut
//   each other off.
// - There is a single music stream: the control that started it last owns it, and a tune
//   counts as playing only for its owner. A tune heard once is rendered into the tune cache
//   and played from there afterwards.
// - `mixer_lock` serialises decoding every sound, freeing decoded sounds and opening and
//   closing the device, which happen on worker threads.
// - `shutdown` (and destruction) stops the tune cache's render and the opening or closing under
//   way, waits for them and closes SDL's audio; nothing plays after it, and calling it again
//   does nothing. Every control must have been destroyed before.
// Only files of platform/audio see SDL; `create_audio_control` makes controls for the runtime.
#pragma once

#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/music_synth.h"
#include "platform/audio/tune_cache.h"
#include "platform/audio/wave_slice.h"
#include "platform/timer.h"

namespace quarlyn {

class MMControl;
class Runtime;

class AudioDevice {
 public:
  static constexpr int32_t kSleepAfterMs = 4000;
  // The mixed output's format, the same at every opening. The synthesizer renders at the
  // mixer's rate: 32000 Hz costs it a quarter less than 44100 Hz and drops only what lies above
  // 16 kHz, which in the default tunes is 47 dB below the rest.
  static constexpr AudioFormat kFormat{32000, 4};

  enum class Readiness { kReady, kWaking, kUnavailable };

  // `tune_cache` is the folder of the tune cache ("" for none).
  explicit AudioDevice(Runtime& runtime, std::filesystem::path tune_cache = {}, int32_t sleep_after_ms = kSleepAfterMs);
  ~AudioDevice();
  AudioDevice(const AudioDevice&) = delete;
  AudioDevice& operator=(const AudioDevice&) = delete;

  // Asked before anything plays: opens the device when it is closed, and counts as activity.
  Readiness wake();
  void shutdown();
  bool awake() const { return state_ == State::kOpen; }

  // A channel no other control uses, or -1 when there is no device.
  int acquire_channel();
  void release_channel(int channel);

  MusicSynth& music() { return music_; }
  TuneCache& tune_cache() { return tune_cache_; }
  void music_started(const void* owner) { music_owner_ = owner; }
  bool music_playing_for(const void* owner) const;
  // Halts the music only if `owner` started it last.
  void halt_music_of(const void* owner);

  std::mutex& mixer_lock() { return mixer_lock_; }

  // An opening or closing of the output, run on a worker.
  using Step = bool (*)(std::mutex& mixer_lock, MusicSynth& music, bool report_failure);

 private:
  enum class State { kUnopened, kAsleep, kWaking, kOpen, kFallingAsleep, kFailed, kShutDown };

  // Takes the result of an opening or closing that has finished.
  void settle();
  void opened(bool success);
  void check_idle();
  void start_transition(State state, Step step);

  Runtime& runtime_;
  int32_t sleep_after_ms_;
  State state_ = State::kUnopened;
  std::future<bool> transition_;
  Timer idle_timer_;
  int32_t last_active_ = 0;
  int32_t failed_at_ = 0;
  bool failure_reported_ = false;
  std::vector<bool> channel_used_;
  const void* music_owner_ = nullptr;
  std::mutex mixer_lock_;
  MusicSynth music_{MusicSynth::Tuning::for_background(kFormat.frequency)};
  TuneCache tune_cache_;
};

std::unique_ptr<MMControl> create_audio_control(Runtime& runtime, AudioDevice& device);

}  // namespace quarlyn
