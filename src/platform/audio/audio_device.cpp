#include "platform/audio/audio_device.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/clock.h"
#include "platform/runtime.h"

namespace quarlyn {
namespace {

constexpr int kFrequency = AudioDevice::kFormat.frequency;
constexpr int kChannels = AudioDevice::kFormat.frame_bytes / 2;  // 16-bit samples
// 32 ms. A sound asked for waits up to one buffer for the next mix, and a sound server plays it
// about one buffer later: some 50 ms on average, under the 60 ms at which a landing heard late
// is noticed. 2048 frames would halve the sound thread's 31 wake-ups a second and save it
// 0.15 % of a core with music playing, but make effects about 100 ms late.
constexpr int kBufferFrames = 1024;
// How often the device looks whether anything still plays.
constexpr int32_t kIdleCheckMs = 1000;
// A device that failed to open (another program may hold the card) is tried again at a sound
// asked for this long after, not sooner.
constexpr int32_t kRetryAfterMs = 1000;

// Without a sound card ALSA explains its failure in eight lines; the one line below says what
// matters to a person.
void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

// SDL_mixer opens SDL's audio and starts its sound thread; SDL's audio drivers may keep threads of
// their own (device hot-plugging) until the audio subsystem quits, so a sleeping device quits it.
bool open_output(std::mutex& mixer_lock, MusicSynth& music, bool report_failure) {
  const std::lock_guard lock(mixer_lock);
  // SDL would otherwise turn SIGINT and SIGTERM into events nobody reads, and a saver must end
  // when the desktop terminates it.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  snd_lib_error_set_handler(ignore_alsa_error);
  bool opened = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  if (opened && Mix_OpenAudioDevice(kFrequency, AUDIO_S16SYS, kChannels, kBufferFrames, nullptr, 0) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    opened = false;
  }
  snd_lib_error_set_handler(nullptr);
  if (!opened) {
    if (report_failure) std::fprintf(stderr, "quarlyn: no sound device (%s); running silent\n", SDL_GetError());
    return false;
  }
  Mix_HookMusic(MusicSynth::render_hook, &music);
  return true;
}

bool close_output(std::mutex& mixer_lock, MusicSynth&, bool) {
  const std::lock_guard lock(mixer_lock);
  Mix_HookMusic(nullptr, nullptr);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return true;
}

// SDL keeps error texts per thread and frees them by itself only for threads it started.
bool on_worker(AudioDevice::Step step, std::mutex* mixer_lock, MusicSynth* music, bool report_failure) {
  const bool done = step(*mixer_lock, *music, report_failure);
  SDL_TLSCleanup();
  return done;
}

}  // namespace

AudioDevice::AudioDevice(Runtime& runtime, std::filesystem::path tune_cache, int32_t sleep_after_ms)
    : runtime_(runtime),
      sleep_after_ms_(sleep_after_ms),
      idle_timer_(runtime),
      tune_cache_(std::move(tune_cache), MusicSynth::Tuning::for_background(kFormat.frequency)) {
  idle_timer_.set_interval(kIdleCheckMs);
  idle_timer_.on_timer = [this] { check_idle(); };
}

AudioDevice::~AudioDevice() { shutdown(); }

void AudioDevice::shutdown() {
  tune_cache_.shutdown();
  if (transition_.valid()) transition_.wait();
  settle();
  idle_timer_.set_enabled(false);
  if (state_ == State::kOpen) close_output(mixer_lock_, music_, false);
  if (state_ == State::kOpen || state_ == State::kAsleep) Mix_Quit();
  state_ = State::kShutDown;
}

AudioDevice::Readiness AudioDevice::wake() {
  settle();
  last_active_ = runtime_.time_get_time();
  switch (state_) {
    case State::kUnopened:
      // The first opening answers at once, so that without a device every control reports
      // stopped from its first "Play".
      opened(open_output(mixer_lock_, music_, !failure_reported_));
      return awake() ? Readiness::kReady : Readiness::kUnavailable;
    case State::kAsleep:
      start_transition(State::kWaking, open_output);
      return Readiness::kWaking;
    case State::kOpen:
      return Readiness::kReady;
    case State::kFailed:
      if (clock_diff(last_active_, failed_at_) < kRetryAfterMs) return Readiness::kUnavailable;
      start_transition(State::kWaking, open_output);
      return Readiness::kWaking;
    case State::kShutDown:
      return Readiness::kUnavailable;
    case State::kWaking:
    case State::kFallingAsleep:
      break;
  }
  return Readiness::kWaking;
}

void AudioDevice::start_transition(State state, Step step) {
  state_ = state;
  // With both policies the library falls back to running the step at the first wait when no
  // thread can be started, rather than throwing.
  transition_ = std::async(std::launch::async | std::launch::deferred, on_worker, step, &mixer_lock_, &music_,
                           !failure_reported_);
  idle_timer_.set_enabled(true);
}

void AudioDevice::settle() {
  if (!transition_.valid() || transition_.wait_for(std::chrono::seconds(0)) == std::future_status::timeout) return;
  const bool success = transition_.get();
  if (state_ == State::kWaking) opened(success);
  else state_ = State::kAsleep;
}

void AudioDevice::opened(bool success) {
  state_ = success ? State::kOpen : State::kFailed;
  if (!success) {
    failed_at_ = runtime_.time_get_time();
    failure_reported_ = true;
  }
  idle_timer_.set_enabled(success);
  const int channels = static_cast<int>(channel_used_.size());
  if (success && channels > Mix_AllocateChannels(-1)) Mix_AllocateChannels(channels);
}

void AudioDevice::check_idle() {
  settle();
  if (state_ == State::kAsleep || state_ == State::kFailed) idle_timer_.set_enabled(false);
  if (!awake()) return;
  const int32_t now = runtime_.time_get_time();
  if (Mix_Playing(-1) > 0 || music_.playing()) last_active_ = now;
  else if (clock_diff(now, last_active_) >= sleep_after_ms_) start_transition(State::kFallingAsleep, close_output);
}

int AudioDevice::acquire_channel() {
  if (state_ == State::kShutDown) return -1;
  const auto unused = std::find(channel_used_.begin(), channel_used_.end(), false);
  const int channel = static_cast<int>(unused - channel_used_.begin());
  if (unused == channel_used_.end()) channel_used_.push_back(true);
  else *unused = true;
  if (awake() && channel >= Mix_AllocateChannels(-1)) Mix_AllocateChannels(channel + 1);
  return channel;
}

void AudioDevice::release_channel(int channel) {
  if (channel < 0 || channel >= static_cast<int>(channel_used_.size())) return;
  if (awake()) Mix_HaltChannel(channel);
  channel_used_[channel] = false;
}

bool AudioDevice::music_playing_for(const void* owner) const {
  return awake() && owner == music_owner_ && music_.playing();
}

void AudioDevice::halt_music_of(const void* owner) {
  if (owner != music_owner_) return;
  music_.stop();
  music_owner_ = nullptr;
}

}  // namespace quarlyn
