#include "saver/music_and_sound.h"

#include <array>
#include <cctype>

#include "platform/waiting.h"

namespace quarlyn {

namespace {

struct EffectRange {
  int32_t from;
  int32_t to;
};

// Where each effect lies in audio.wav, in milliseconds.
constexpr std::array<EffectRange, 6> kEffects = {{{0, 0}, {0, 180}, {350, 650}, {185, 340}, {680, 2600}, {2700, 9800}}};

// Every open sequence starts with "Close", then sets the switches, the device and the file.
void open_device(MMControl& control, bool notify, const char* device, const std::string& path) {
  control.Command("Close");
  control.Notify = notify;
  control.Wait = false;
  control.Shareable = false;
  control.DeviceType = device;
  control.FileName = path;
  control.Command("Open");
}

// One tune at a time: a wave tune and a MIDI tune never play together.
bool a_tune_plays(const SaverWindowState& window) { return window.midi_busy != 0 || window.wav_busy != 0; }

}  // namespace

bool ends_in_wav(const std::string& path) {
  if (path.size() < 3) return false;
  std::string ending = path.substr(path.size() - 3);
  for (char& c : ending) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ending == "WAV";
}

void stakko_initwav(Saver& saver) {
  if (saver.window.wav_opened == 1) return;
  saver.window.wav_opened = 1;
  open_device(*saver.MMControl2, false, "WaveAudio", saver.settings.install_path + "audio.wav");
}

void stakko_playsound(Saver& saver, int16_t effect) {
  if (saver.game.sound_hold != 0 || !setting_on(saver.settings.soundfx_on)) return;
  if (effect < 1 || effect > 5) return;
  MMControl& control = *saver.MMControl2;
  control.Command("Stop");
  yield_times(saver.runtime, 2);
  control.From = kEffects[effect].from;
  control.To = kEffects[effect].to;
  control.Command("Play");
  yield_times(saver.runtime, 2);
}

void launch_midi(Saver& saver, const std::string& path) {
  if (a_tune_plays(saver.window)) return;
  open_device(*saver.MMControl1, true, "Sequencer", path);
  saver.window.midi_busy = 1;
  saver.MMControl1->Command("Play");
}

void launch_wav(Saver& saver, const std::string& path) {
  if (a_tune_plays(saver.window)) return;
  open_device(*saver.MMControl3, true, "WaveAudio", path);
  saver.window.wav_busy = 1;
  saver.MMControl3->Command("Play");
}

void Timer1_Timer(Saver& saver) {
  const Settings& settings = saver.settings;
  const int32_t total = settings.audio_files_total;
  if (!setting_on(settings.music_on) || total <= 0) return;
  saver.runtime.randomize();
  int16_t& position = saver.window.playlist_pos;
  if (position < 1 || position > total) position = 1;
  const std::string& entry = settings.audio_files[position];
  if (ends_in_wav(entry))
    launch_wav(saver, entry);
  else
    launch_midi(saver, entry);
  position = static_cast<int16_t>(position + 1);
  if (position > total) position = 1;
}

void MMControl1_StatusUpdate(Saver& saver) {
  if (saver.MMControl1->Mode() == MMControl::kStopped) saver.window.midi_busy = 0;
}

void MMControl3_StatusUpdate(Saver& saver) {
  if (saver.MMControl3->Mode() == MMControl::kStopped) saver.window.wav_busy = 0;
}

void audio_off(Saver& saver) {
  if (setting_number(saver.settings.music_on) == 1) {
    saver.MMControl1->Command("Close");
    saver.MMControl3->Command("Close");
    yield_times(saver.runtime, 2);
  }
  if (setting_number(saver.settings.soundfx_on) == 1) {
    saver.MMControl2->Command("Close");
    yield_times(saver.runtime, 2);
  }
}

}  // namespace quarlyn
