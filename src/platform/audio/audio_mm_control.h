// The multimedia control on SDL_mixer (see mm_control.h for the contract it keeps).
//
// Contract, beyond `MMControl`:
// - "Sequencer" plays MIDI files as SDL_mixer's music, "WaveAudio" wave files on the control's
//   own channel; the device type is matched without regard to case. A file whose kind does not
//   match its device type counts as one that cannot be opened.
// - "Open" checks the file at once (a missing, special or unrecognised file leaves the control
//   silent, reporting stopped) and then reads and decodes it on a worker thread, so that opening
//   never stalls the game while a soundfont loads. A "Play" given before that is done starts as
//   soon as the control sees the load finished (it looks every 5 ms from inside the yields, and
//   at every `Mode()`); until then the control reports playing.
// - "Close" (and destruction) waits for a load still under way, then frees everything.
// - Notify, Wait and Shareable change nothing.
#pragma once

#include <SDL_mixer.h>

#include <cstdint>
#include <future>
#include <optional>
#include <string>

#include "platform/audio/audio_device.h"
#include "platform/audio/sound_loader.h"
#include "platform/mm_control.h"
#include "platform/timer.h"

namespace quarlyn {

class AudioMMControl final : public MMControl {
 public:
  AudioMMControl(Runtime& runtime, AudioDevice& device);
  ~AudioMMControl() override;
  AudioMMControl(const AudioMMControl&) = delete;
  AudioMMControl& operator=(const AudioMMControl&) = delete;

  void Command(const std::string& command) override;
  int32_t Mode() override;

 private:
  static constexpr int32_t kPlaying = 526;

  struct PlayRequest {
    int32_t from;
    int32_t to;
  };

  void open();
  void play();
  void stop();
  void close();
  void start_load(SoundKind kind);
  // Takes a finished load and starts the play that waited for it.
  void poll_load();
  void start(const PlayRequest& request);
  void start_wave(const PlayRequest& request);

  AudioDevice& device_;
  SoundKind kind_ = SoundKind::kNone;
  int channel_ = -1;
  std::future<LoadedSound> loading_;
  LoadedSound sound_;
  ChunkPtr range_chunk_;  // a slice of sound_.chunk, so freed before it
  std::optional<PlayRequest> waiting_play_;
  Timer status_timer_;
  Timer load_timer_;
};

}  // namespace quarlyn
