// The entry point of the sound module: the runtime's audio output on SDL_mixer.
#include "platform/audio/audio_device.h"
#include "platform/audio_output.h"
#include "platform/mm_control.h"

namespace quarlyn {
namespace {

class SdlAudioOutput final : public AudioOutput {
 public:
  SdlAudioOutput(Runtime& runtime, const std::string& application)
      : runtime_(runtime), device_(runtime, tune_cache_folder(application)) {}
  std::unique_ptr<MMControl> create_control() override { return create_audio_control(runtime_, device_); }

 private:
  Runtime& runtime_;
  AudioDevice device_;
};

}  // namespace
}  // namespace quarlyn

extern "C" __attribute__((visibility("default"))) quarlyn::AudioOutput* quarlyn_create_audio_output(
    quarlyn::Runtime& runtime, const std::string& application) {
  return new quarlyn::SdlAudioOutput(runtime, application);
}
