// The cost of a full save of every setting (about 760 keys and one atomic file replace).
#include <benchmark/benchmark.h>

#include "platform/test/test_runtime.h"
#include "startup/settings.h"

namespace quarlyn {
namespace {

void BM_SaveAllSettings(benchmark::State& state) {
  TestRuntime rt;
  SettingsStore(rt.settings_store().file(), kSettingsSection).save({{"install_path", "/opt/quarlyn/"}});
  Settings settings;
  load_settings(rt, settings);
  settings.audio_files_total = kMaxAudioFiles;
  for (int i = 1; i <= kMaxAudioFiles; ++i) settings.audio_files[i] = "/home/player/Music/tune " + std::to_string(i) + ".mid";
  int round = 0;
  for (auto _ : state) {
    // Change one high score per round so every save really writes.
    settings.hiscore_score[1][1] = std::to_string(++round);
    save_settings(rt, settings);
  }
}
BENCHMARK(BM_SaveAllSettings)->Unit(benchmark::kMillisecond);

void BM_LoadAllSettings(benchmark::State& state) {
  TestRuntime rt;
  SettingsStore(rt.settings_store().file(), kSettingsSection).save({{"install_path", "/opt/quarlyn/"}});
  Settings settings;
  load_settings(rt, settings);
  save_settings(rt, settings);
  for (auto _ : state) load_settings(rt, settings);
}
BENCHMARK(BM_LoadAllSettings)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarlyn
