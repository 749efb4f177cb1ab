// Arbitrary bytes as the settings file, loaded and saved the way the program does: the load
// must keep every value inside the ranges the game indexes by, and the save must succeed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "platform/test/test_runtime.h"
#include "startup/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quarlyn::TestRuntime runtime;
  {
    // A recorded program folder comes first, so the load gets past its first check.
    std::ofstream file(runtime.settings_store().file(), std::ios::binary);
    file << "[Config]\ninstall_path=/opt/quarlyn/\n";
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  auto settings = std::make_unique<quarlyn::Settings>();
  quarlyn::load_settings(runtime, *settings);
  if (settings->game_difficulty < 1 || settings->game_difficulty > quarlyn::kGameTypes) std::abort();
  if (settings->audio_files_total < 0 || settings->audio_files_total > quarlyn::kMaxAudioFiles) std::abort();
  quarlyn::save_settings(runtime, *settings);
  return 0;
}
