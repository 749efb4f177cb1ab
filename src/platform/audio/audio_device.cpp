#include "platform/audio/audio_device.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <alsa/asoundlib.h>
#include <fluidsynth.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace quarlyn {
namespace {

constexpr int kFrequency = 44100;
constexpr int kChannels = 2;
// About 23 ms at 44100 Hz: short enough for effects, long enough not to starve.
constexpr int kBufferFrames = 1024;
// SDL_mixer drives the synthesizer at five times its own default gain, where some tunes clip on
// their own. Here the loudest tune of the default playlist peaks near -4 dBFS, which leaves the
// effects room.
constexpr int kMusicVolume = 80;

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

bool open_output() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  if (Mix_OpenAudio(kFrequency, MIX_DEFAULT_FORMAT, kChannels, kBufferFrames) == 0) return true;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return false;
}

AudioFormat query_format() {
  int frequency = 0;
  Uint16 format = 0;
  int channels = 0;
  if (Mix_QuerySpec(&frequency, &format, &channels) == 0) return {};
  return {frequency, static_cast<int>(SDL_AUDIO_BITSIZE(format) / 8) * channels};
}

}  // namespace

std::string first_existing_file(const std::vector<std::string>& candidates) {
  for (const std::string& path : candidates) {
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(path.c_str(), R_OK) == 0) return path;
  }
  return "";
}

AudioDevice::~AudioDevice() {
  if (state_ != State::kOpen) return;
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool AudioDevice::open() {
  if (state_ != State::kUnopened) return state_ == State::kOpen;
  state_ = State::kFailed;
  // SDL would otherwise turn SIGINT and SIGTERM into events nobody reads, and a saver must end
  // when the desktop terminates it.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  silence_synthesizer();
  snd_lib_error_set_handler(ignore_alsa_error);
  const bool opened = open_output();
  snd_lib_error_set_handler(nullptr);
  if (!opened) {
    std::fprintf(stderr, "quarlyn: no sound device (%s); running silent\n", SDL_GetError());
    return false;
  }
  format_ = query_format();
  choose_soundfont();
  Mix_VolumeMusic(kMusicVolume);
  state_ = State::kOpen;
  return true;
}

int AudioDevice::acquire_channel() {
  if (state_ != State::kOpen) return -1;
  const auto unused = std::find(channel_used_.begin(), channel_used_.end(), false);
  const int channel = static_cast<int>(unused - channel_used_.begin());
  if (unused == channel_used_.end()) channel_used_.push_back(true);
  else *unused = true;
  if (channel >= Mix_AllocateChannels(-1)) Mix_AllocateChannels(channel + 1);
  return channel;
}

void AudioDevice::release_channel(int channel) {
  if (channel < 0 || channel >= static_cast<int>(channel_used_.size())) return;
  Mix_HaltChannel(channel);
  channel_used_[channel] = false;
}

bool AudioDevice::music_playing_for(const void* owner) const {
  return state_ == State::kOpen && owner == music_owner_ && Mix_PlayingMusic() != 0;
}

void AudioDevice::halt_music_of(const void* owner) {
  if (state_ != State::kOpen || owner != music_owner_) return;
  Mix_HaltMusic();
  music_owner_ = nullptr;
}

}  // namespace quarlyn
