// The process's one audio output, shared by all multimedia controls of a runtime.
//
// Contract:
// - Nothing touches SDL until the first `open()`, which opens SDL_mixer at 44100 Hz stereo,
//   points the MIDI synthesizer at the first General MIDI soundfont installed and turns the
//   synthesizer's log off. If that fails (no sound card, an unknown SDL_AUDIODRIVER), one line
//   on stderr says so and the device stays closed for good: `open()` keeps returning false and
//   every control stays silent.
// - Every control that plays waves gets a mixing channel of its own, so that controls never cut
//   each other off.
// - SDL_mixer has a single music stream: the control that started it last owns it, and a tune
//   counts as playing only for its owner.
// - `music_lock` serialises loading every sound and freeing tunes, which happen on worker
//   threads.
// - Destroying the device closes SDL's audio; every control must have been destroyed before.
// Only files of platform/audio see SDL; `create_audio_control` makes controls for the runtime.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/wave_slice.h"

namespace quarlyn {

class MMControl;
class Runtime;

class AudioDevice {
 public:
  AudioDevice() = default;
  ~AudioDevice();
  AudioDevice(const AudioDevice&) = delete;
  AudioDevice& operator=(const AudioDevice&) = delete;

  // Opens the device at the first call; true while it can play.
  bool open();
  // The mixed output's format; meaningful once open.
  AudioFormat format() const { return format_; }

  // A channel no other control uses, or -1 when the device is not open.
  int acquire_channel();
  void release_channel(int channel);

  void music_started(const void* owner) { music_owner_ = owner; }
  bool music_playing_for(const void* owner) const;
  // Halts the music only if `owner` started it last.
  void halt_music_of(const void* owner);

  std::mutex& music_lock() { return music_lock_; }

 private:
  enum class State { kUnopened, kOpen, kFailed };

  State state_ = State::kUnopened;
  AudioFormat format_;
  std::vector<bool> channel_used_;
  const void* music_owner_ = nullptr;
  std::mutex music_lock_;
};

// The first of `candidates` that is a readable regular file, or "" when none is.
std::string first_existing_file(const std::vector<std::string>& candidates);

std::unique_ptr<MMControl> create_audio_control(Runtime& runtime, AudioDevice& device);

}  // namespace quarlyn
