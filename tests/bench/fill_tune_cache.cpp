// Renders tunes into the saver's tune cache ahead of time, for tools/bench-saver.sh, which
// measures the saver playing tunes it has heard before.
//
//   fill_tune_cache TUNE...
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/audio/audio_device.h"
#include "platform/audio/sound_file_check.h"
#include "platform/checked_file.h"
#include "startup/settings.h"

int main(int argc, char** argv) {
  using namespace quarlyn;
  TuneCache cache(tune_cache_folder(kApplicationName),
                  MusicSynth::Tuning::for_background(AudioDevice::kFormat.frequency));
  for (int i = 1; i < argc; ++i) {
    const std::optional<std::string> bytes = read_checked_file(argv[i], kMaxSoundFileBytes);
    if (!bytes) {
      std::fprintf(stderr, "fill_tune_cache: cannot read %s\n", argv[i]);
      return 1;
    }
    cache.render_later(std::vector<char>(bytes->begin(), bytes->end()));
    while (cache.rendering()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return 0;
}
