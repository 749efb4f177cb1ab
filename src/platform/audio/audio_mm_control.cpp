#include "platform/audio/audio_mm_control.h"

#include <SDL_thread.h>
#include <malloc.h>

#include <algorithm>
#include <cctype>
#include <chrono>

namespace quarlyn {
namespace {

constexpr int32_t kStatusIntervalMs = 1000;
// How often a finished load is looked for: short, since a waiting "Play" starts only then.
constexpr int32_t kLoadPollMs = 5;

bool same_text_ignoring_case(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

SoundKind kind_for_device(const std::string& device_type) {
  if (same_text_ignoring_case(device_type, "Sequencer")) return SoundKind::kMidi;
  if (same_text_ignoring_case(device_type, "WaveAudio")) return SoundKind::kWave;
  return SoundKind::kNone;
}

template <typename T>
bool finished(const std::future<T>& work) {
  return work.valid() && work.wait_for(std::chrono::seconds(0)) != std::future_status::timeout;
}

}  // namespace

std::unique_ptr<MMControl> create_audio_control(Runtime& runtime, AudioDevice& device) {
  return std::make_unique<AudioMMControl>(runtime, device);
}

AudioMMControl::AudioMMControl(Runtime& runtime, AudioDevice& device)
    : device_(device), status_timer_(runtime), load_timer_(runtime) {
  status_timer_.set_interval(kStatusIntervalMs);
  status_timer_.on_timer = [this] {
    if (StatusUpdate) StatusUpdate();
  };
  load_timer_.set_interval(kLoadPollMs);
  load_timer_.on_timer = [this] { poll(); };
}

AudioMMControl::~AudioMMControl() {
  close();
  device_.release_channel(channel_);
}

void AudioMMControl::Command(const std::string& command) {
  if (command == "Open") open();
  else if (command == "Play") play();
  else if (command == "Stop") stop();
  else if (command == "Close") close();
}

int32_t AudioMMControl::Mode() {
  poll();
  if (waiting_play_) return kPlaying;
  if (kind_ == SoundKind::kMidi) return device_.music_playing_for(this) ? kPlaying : kStopped;
  if (kind_ == SoundKind::kWave && channel_ >= 0 && device_.awake() && Mix_Playing(channel_) != 0) return kPlaying;
  return kStopped;
}

// A control stays open, raising StatusUpdate, even when its file cannot play.
void AudioMMControl::open() {
  close();
  status_timer_.set_enabled(true);
  const SoundKind kind = kind_for_device(DeviceType);
  if (kind == SoundKind::kNone || probe_sound_file(FileName) != kind) return;
  if (kind == SoundKind::kWave && channel_ < 0) channel_ = device_.acquire_channel();
  kind_ = kind;
  // With both policies the library falls back to the work at the first poll when no thread
  // can be started, rather than throwing.
  reading_ = std::async(std::launch::async | std::launch::deferred, read_sound, FileName, kind);
  load_timer_.set_enabled(true);
}

void AudioMMControl::poll() {
  if (finished(reading_)) file_ = reading_.get().value_or(std::vector<char>());
  if (finished(decoding_)) sound_ = decoding_.get();
  // Decoding needs the device open, so it counts as activity.
  if (decoding_.valid()) device_.wake();
  else if (waiting_play_ && !reading_.valid()) try_start();
  load_timer_.set_enabled(reading_.valid() || decoding_.valid() || waiting_play_.has_value());
}

void AudioMMControl::try_start() {
  const bool decoded = sound_.decoded();
  if (!decoded && file_.empty()) {
    waiting_play_.reset();
    return;
  }
  const AudioDevice::Readiness readiness = device_.wake();
  if (readiness == AudioDevice::Readiness::kUnavailable) waiting_play_.reset();
  if (readiness != AudioDevice::Readiness::kReady) return;
  if (!decoded) {
    decoding_ = std::async(std::launch::async | std::launch::deferred,
                           [bytes = std::move(file_), kind = kind_, &device = device_]() mutable {
                             LoadedSound sound = decode_sound(std::move(bytes), kind, device.mixer_lock(),
                                                              device.music(), device.tune_cache());
                             // SDL keeps error texts per thread and frees them by itself only
                             // for threads it started.
                             SDL_TLSCleanup();
                             // Loading a soundfont or converting a wave leaves megabytes of
                             // working memory free in this thread's heap, which would otherwise
                             // stay with the process.
                             malloc_trim(0);
                             return sound;
                           });
    file_.clear();
    return;
  }
  const PlayRequest request = *waiting_play_;
  waiting_play_.reset();
  start(request);
}

void AudioMMControl::play() {
  if (kind_ == SoundKind::kNone) return;
  // Without a device the control reports stopped at once.
  if (device_.wake() == AudioDevice::Readiness::kUnavailable) return;
  waiting_play_ = PlayRequest{From, To};
  poll();
}

void AudioMMControl::start(const PlayRequest& request) {
  if (kind_ == SoundKind::kWave) {
    start_wave(request);
  } else if (sound_.cached) {
    device_.music().play_cached(sound_.cached);
    device_.music_started(this);
  } else if (device_.music().play(sound_.tune)) {
    device_.music_started(this);
    device_.tune_cache().render_later(sound_.tune);
  }
}

void AudioMMControl::start_wave(const PlayRequest& request) {
  if (!sound_.chunk || channel_ < 0) return;
  Mix_HaltChannel(channel_);
  Mix_Chunk* chunk = sound_.chunk.get();
  if (request.from < request.to) {
    const ByteSlice slice = wave_slice(request.from, request.to, AudioDevice::kFormat, chunk->alen);
    if (slice.length == 0) return;
    range_ = Mix_Chunk{0, chunk->abuf + slice.offset, slice.length, chunk->volume};
    chunk = &range_;
  }
  Mix_PlayChannel(channel_, chunk, 0);
}

void AudioMMControl::stop() {
  waiting_play_.reset();
  if (kind_ == SoundKind::kMidi) device_.halt_music_of(this);
  if (channel_ >= 0 && device_.awake()) Mix_HaltChannel(channel_);
}

void AudioMMControl::close() {
  waiting_play_.reset();
  load_timer_.set_enabled(false);
  if (reading_.valid()) reading_.get();
  if (decoding_.valid()) sound_ = decoding_.get();
  stop();
  file_.clear();
  sound_ = LoadedSound();
  kind_ = SoundKind::kNone;
  status_timer_.set_enabled(false);
}

}  // namespace quarlyn
