// What each setting of the tune synthesizer costs, and how much it changes the sound: renders
// the first 30 s of every default tune offline at the mixer's rate and reports the processor
// time per second of music, the most voices sounding at once, and how loud the difference from
// the synthesizer's own defaults is, relative to the music (dB; lower is less audible).
#include <benchmark/benchmark.h>
#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/audio/audio_device.h"
#include "platform/audio/music_synth.h"

namespace quarlyn {
namespace {

constexpr int kRate = AudioDevice::kFormat.frequency;
constexpr int kSeconds = 30;
constexpr int kBlockFrames = 1024;

std::vector<char> tune_file(int number) {
  std::ifstream in(std::string(QUARLYN_BUILD_DATA_DIR) + "music" + std::to_string(number) + ".mid", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<int16_t> render(MusicSynth& synth, const std::vector<char>& tune) {
  std::vector<int16_t> frames(static_cast<std::size_t>(kRate) * kSeconds * 2);
  if (!synth.play(tune)) return frames;
  for (std::size_t at = 0; at < frames.size(); at += kBlockFrames * 2) {
    synth.render(&frames[at], static_cast<int>(std::min<std::size_t>(kBlockFrames, (frames.size() - at) / 2)));
  }
  return frames;
}

const MusicSynth::Tuning kDefaults{kRate, 256, true, true, FLUID_INTERP_4THORDER, 0.75};

void BM_SynthTuning(benchmark::State& state, MusicSynth::Tuning tuning) {
  std::vector<std::vector<char>> tunes;
  for (int number = 1; number <= 10; ++number) tunes.push_back(tune_file(number));
  MusicSynth synth(tuning);
  MusicSynth reference_synth(kDefaults);
  if (!synth.prepare(installed_soundfont()) || !reference_synth.prepare(installed_soundfont())) {
    state.SkipWithError("no soundfont");
    return;
  }
  double difference = 0;
  double music = 0;
  const std::clock_t start = std::clock();
  for (auto _ : state) {
    for (const std::vector<char>& tune : tunes) benchmark::DoNotOptimize(render(synth, tune).data());
  }
  const double cpu_ms = 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  for (const std::vector<char>& tune : tunes) {
    const std::vector<int16_t> reference = render(reference_synth, tune);
    const std::vector<int16_t> tuned = render(synth, tune);
    for (std::size_t i = 0; i < reference.size(); ++i) {
      music += static_cast<double>(reference[i]) * reference[i];
      difference += static_cast<double>(tuned[i] - reference[i]) * (tuned[i] - reference[i]);
    }
  }
  state.counters["ms_per_music_s"] = cpu_ms / static_cast<double>(state.iterations() * tunes.size() * kSeconds);
  state.counters["difference_db"] = difference > 0 ? 10 * std::log10(difference / music) : -INFINITY;
}

// From the synthesizer's defaults towards the background tuning, one setting at a time.
const MusicSynth::Tuning kTunings[] = {
    kDefaults,
    {kRate, 256, true, false, FLUID_INTERP_4THORDER, 0.75},
    {kRate, 256, false, false, FLUID_INTERP_4THORDER, 0.75},
    {kRate, 64, false, false, FLUID_INTERP_4THORDER, 0.75},
    {kRate, 64, false, false, FLUID_INTERP_LINEAR, 0.75},
    {kRate, 64, true, false, FLUID_INTERP_LINEAR, 0.75},
};
BENCHMARK_CAPTURE(BM_SynthTuning, defaults, kTunings[0])->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_SynthTuning, no_chorus, kTunings[1])->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_SynthTuning, no_reverb_chorus, kTunings[2])->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_SynthTuning, and_64_voices, kTunings[3])->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_SynthTuning, and_linear, kTunings[4])->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_SynthTuning, linear_64_reverb, kTunings[5])->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace quarlyn
