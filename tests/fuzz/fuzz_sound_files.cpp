// Arbitrary bytes as a sound file. The checks made before SDL_mixer sees a file must never read
// outside the bytes, and may accept them only as the kind their signature announces; the tune
// density check walks every event of the tunes it is given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/audio/sound_file_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using quarlyn::SoundKind;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const SoundKind announced = quarlyn::sound_kind_of(bytes.substr(0, quarlyn::kSoundSignatureBytes));
  for (const SoundKind kind : {SoundKind::kNone, SoundKind::kMidi, SoundKind::kWave}) {
    if (quarlyn::sound_bytes_well_formed(bytes, kind) && kind != announced) std::abort();
  }
  if (quarlyn::midi_density_bearable(bytes) && announced != SoundKind::kMidi) std::abort();
  return 0;
}
