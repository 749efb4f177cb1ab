#include "platform/audio/audio_device.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <alsa/asoundlib.h>
#include <fluidsynth.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/clock.h"
#include "platform/runtime.h"

namespace quarlyn {
namespace {

constexpr int kFrequency = AudioDevice::kFormat.frequency;
constexpr int kChannels = AudioDevice::kFormat.frame_bytes / 2;  // 16-bit samples
// 32 ms: short enough for effects, long enough not to starve.
constexpr int kBufferFrames = 1024;
// SDL_mixer drives the synthesizer at five times its own default gain, where some tunes clip on
// their own. Here the loudest tune of the default playlist peaks near -4 dBFS, which leaves the
// effects room.
constexpr int kMusicVolume = 80;
// How often the device looks whether anything still plays.
constexpr int32_t kIdleCheckMs = 1000;

// SDL_mixer plays silence when told of a soundfont that is missing, so only one found is named.
// Debian's General MIDI soundfonts, the small one first: every tune loads its soundfont anew,
// and the 6 MB one loads in a fifth of the time of the 148 MB one.
void choose_soundfont() {
  const std::string soundfont = first_existing_file({
      "/usr/share/sounds/sf2/TimGM6mb.sf2",
      "/usr/share/sounds/sf2/FluidR3_GM.sf2",
      "/usr/share/sounds/sf3/default-GM.sf3",
      "/usr/share/sounds/sf2/default-GM.sf2",
  });
  if (!soundfont.empty()) Mix_SetSoundFonts(soundfont.c_str());
}

// The synthesizer would print a line for every voice it cannot place: millions for a tune of
// dense chords, and the printing alone stalls the audio thread.
void silence_synthesizer() {
  for (int level = 0; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, nullptr, nullptr);
}

// Without a sound card ALSA explains its failure in eight lines; the one line below says what
// matters to a person.
void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

// SDL_mixer opens SDL's audio and starts its sound thread; SDL's audio drivers may keep threads of
// their own (device hot-plugging) until the audio subsystem quits, so a sleeping device quits it.
bool open_output(std::mutex& mixer_lock) {
  const std::lock_guard lock(mixer_lock);
  // SDL would otherwise turn SIGINT and SIGTERM into events nobody reads, and a saver must end
  // when the desktop terminates it.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  silence_synthesizer();
  snd_lib_error_set_handler(ignore_alsa_error);
  bool opened = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  if (opened && Mix_OpenAudioDevice(kFrequency, AUDIO_S16SYS, kChannels, kBufferFrames, nullptr, 0) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    opened = false;
  }
  snd_lib_error_set_handler(nullptr);
  if (!opened) {
    std::fprintf(stderr, "quarlyn: no sound device (%s); running silent\n", SDL_GetError());
    return false;
  }
  choose_soundfont();  // the mixer forgets it at every closing
  Mix_VolumeMusic(kMusicVolume);
  return true;
}

bool close_output(std::mutex& mixer_lock) {
  const std::lock_guard lock(mixer_lock);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return true;
}

// SDL keeps error texts per thread and frees them by itself only for threads it started.
bool on_worker(bool (*step)(std::mutex&), std::mutex* mixer_lock) {
  const bool done = step(*mixer_lock);
  SDL_TLSCleanup();
  return done;
}

}  // namespace

std::string first_existing_file(const std::vector<std::string>& candidates) {
  for (const std::string& path : candidates) {
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(path.c_str(), R_OK) == 0) return path;
  }
  return "";
}

AudioDevice::AudioDevice(Runtime& runtime, int32_t sleep_after_ms)
    : runtime_(runtime), sleep_after_ms_(sleep_after_ms), idle_timer_(runtime) {
  idle_timer_.set_interval(kIdleCheckMs);
  idle_timer_.on_timer = [this] { check_idle(); };
}

AudioDevice::~AudioDevice() {
  if (transition_.valid()) transition_.wait();
  settle();
  if (state_ == State::kOpen) close_output(mixer_lock_);
  if (state_ == State::kOpen || state_ == State::kAsleep) Mix_Quit();
}

AudioDevice::Readiness AudioDevice::wake() {
  settle();
  last_active_ = runtime_.time_get_time();
  switch (state_) {
    case State::kUnopened:
      // The first opening answers at once, so that without a device every control reports
      // stopped from its first "Play".
      opened(open_output(mixer_lock_));
      return awake() ? Readiness::kReady : Readiness::kUnavailable;
    case State::kAsleep:
      start_transition(State::kWaking, open_output);
      return Readiness::kWaking;
    case State::kOpen:
      return Readiness::kReady;
    case State::kFailed:
      return Readiness::kUnavailable;
    case State::kWaking:
    case State::kFallingAsleep:
      break;
  }
  return Readiness::kWaking;
}

void AudioDevice::start_transition(State state, bool (*step)(std::mutex&)) {
  state_ = state;
  // With both policies the library falls back to running the step at the first wait when no
  // thread can be started, rather than throwing.
  transition_ = std::async(std::launch::async | std::launch::deferred, on_worker, step, &mixer_lock_);
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
  idle_timer_.set_enabled(success);
  const int channels = static_cast<int>(channel_used_.size());
  if (success && channels > Mix_AllocateChannels(-1)) Mix_AllocateChannels(channels);
}

void AudioDevice::check_idle() {
  settle();
  if (state_ == State::kAsleep || state_ == State::kFailed) idle_timer_.set_enabled(false);
  if (!awake()) return;
  const int32_t now = runtime_.time_get_time();
  if (Mix_Playing(-1) > 0 || Mix_PlayingMusic() != 0) last_active_ = now;
  else if (clock_diff(now, last_active_) >= sleep_after_ms_) start_transition(State::kFallingAsleep, close_output);
}

int AudioDevice::acquire_channel() {
  if (state_ == State::kFailed) return -1;
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
  return awake() && owner == music_owner_ && Mix_PlayingMusic() != 0;
}

void AudioDevice::halt_music_of(const void* owner) {
  if (owner != music_owner_) return;
  if (awake()) Mix_HaltMusic();
  music_owner_ = nullptr;
}

}  // namespace quarlyn
