// Prints how loud a recording of the mixed output is: raw signed 16-bit stereo at 32000 Hz, as
// SDL's disk audio driver writes it. For tools/sound-levels.sh.
//
//   sound_levels LABEL FILE
//
// Effects sound now and then, so beside the level over the whole recording it gives the level
// while something sounds: over the 400 ms blocks louder than -70 dBFS.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

constexpr int kRate = 32000;
constexpr int kChannels = 2;
constexpr std::size_t kBlockSamples = kRate * kChannels * 2 / 5;  // 400 ms
constexpr double kGateDb = -70;
constexpr int kFullScale = 32768;

double decibels(double power) { return power > 0 ? 10 * std::log10(power) : -INFINITY; }

struct Levels {
  double sum_squares = 0;
  double sounding_squares = 0;
  std::size_t samples = 0;
  std::size_t sounding_samples = 0;
  int peak = 0;
  std::size_t clipped = 0;
};

Levels measure(const std::vector<int16_t>& samples) {
  Levels levels;
  for (std::size_t begin = 0; begin < samples.size(); begin += kBlockSamples) {
    const std::size_t end = std::min(samples.size(), begin + kBlockSamples);
    double block = 0;
    for (std::size_t i = begin; i < end; ++i) {
      const int value = samples[i];
      const double scaled = static_cast<double>(value) / kFullScale;
      block += scaled * scaled;
      levels.peak = std::max(levels.peak, std::abs(value));
      if (value >= 32767 || value <= -32767) ++levels.clipped;
    }
    levels.sum_squares += block;
    levels.samples += end - begin;
    if (decibels(block / static_cast<double>(end - begin)) > kGateDb) {
      levels.sounding_squares += block;
      levels.sounding_samples += end - begin;
    }
  }
  return levels;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s LABEL FILE\n", argv[0]);
    return 2;
  }
  std::ifstream file(argv[2], std::ios::binary);
  std::vector<int16_t> samples;
  int16_t sample = 0;
  while (file.read(reinterpret_cast<char*>(&sample), sizeof sample)) samples.push_back(sample);
  if (samples.empty()) {
    std::printf("%-8s no sound recorded\n", argv[1]);
    return 0;
  }
  const Levels levels = measure(samples);
  const auto ratio = [](double part, std::size_t whole) { return whole == 0 ? 0.0 : part / static_cast<double>(whole); };
  std::printf("%-8s %5.1f s  RMS %6.1f dBFS  while sounding %6.1f dBFS (%3.0f%% of the time)", argv[1],
              ratio(static_cast<double>(levels.samples), kChannels * kRate),
              decibels(ratio(levels.sum_squares, levels.samples)),
              decibels(ratio(levels.sounding_squares, levels.sounding_samples)),
              100 * ratio(static_cast<double>(levels.sounding_samples), levels.samples));
  std::printf("  peak %6.1f dBFS  clipped %zu\n", 20 * std::log10(std::max(levels.peak, 1) / double{kFullScale}),
              levels.clipped);
  return 0;
}
