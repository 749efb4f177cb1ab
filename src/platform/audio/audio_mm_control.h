// The multimedia control on SDL_mixer (see mm_control.h for the contract it keeps).
//
// Contract, beyond `MMControl`:
// - "Sequencer" plays MIDI files through the device's synthesizer, "WaveAudio" wave files on
//   the control's own channel; the device type is matched without regard to case. A file whose
//   kind does not match its device type counts as one that cannot be opened.
// - "Open" checks the file at once (a missing, special or unrecognised file leaves the control
//   silent, reporting stopped) and then reads and checks it on a worker thread. The first
//   "Play" wakes the audio device and decodes the file on a worker thread, so that neither
//   stalls the game while a soundfont loads; the decoded sound is kept for later plays. A
//   "Play" starts as soon as the control sees the device awake and the sound decoded (it looks
//   every 5 ms from inside the yields, and at every `Mode()`); until then the control reports
//   playing.
// - "Close" (and destruction) waits for a reading or decoding still under way, then frees everything.
// - Notify, Wait and Shareable change nothing.
#pragma once

#include <SDL_mixer.h>

#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <vector>

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
  // Takes finished work and starts the play that waited for it once it can.
  void poll();
  void try_start();
  void start(const PlayRequest& request);
  void start_wave(const PlayRequest& request);

  AudioDevice& device_;
  SoundKind kind_ = SoundKind::kNone;
  int channel_ = -1;
  std::future<std::optional<std::vector<char>>> reading_;
  std::vector<char> file_;  // checked, waiting to be decoded
  std::future<LoadedSound> decoding_;
  LoadedSound sound_;
  Mix_Chunk range_{};  // a slice of sound_.chunk
  std::optional<PlayRequest> waiting_play_;
  Timer status_timer_;
  Timer load_timer_;
};

}  // namespace quarlyn
