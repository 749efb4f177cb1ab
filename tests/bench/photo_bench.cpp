// A camera photo (6000x4000 JPEG) loaded as the saver's background, at the size it is drawn:
// the time of one load, and the memory it takes at its peak beyond the final picture (from the
// kernel's high-water mark of resident memory, reset before each load once freed memory has gone
// back to the system).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/picture_files.h"
#include "saver/game.h"
#include "support/jpeg_writer.h"

namespace quarlyn {
namespace {

// A "VmRSS"/"VmHWM" figure of /proc/self/status, in bytes.
double status_bytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string key;
  double kilobytes = 0;
  while (status >> key) {
    if (key == field + ":" && status >> kilobytes) return kilobytes * 1024;
  }
  return 0;
}

void BM_PhotoAsBackground(benchmark::State& state) {
  const std::string path = (std::filesystem::temp_directory_path() / "quarlyn-bench-photo.jpg").string();
  const uint8_t sky[3] = {90, 140, 220};
  const uint8_t field[3] = {60, 160, 40};
  testing::write_two_colour_jpeg(path, 6000, 4000, sky, field);
  const auto drawn = [](int, int) { return Rect{0, 0, kPlayWidth, kPlayHeight}; };
  double beyond = 0;
  for (auto _ : state) {
    state.PauseTiming();
    malloc_trim(0);  // memory freed earlier goes back, so the load's own shows in the figure
    std::ofstream("/proc/self/clear_refs") << "5";  // resets the high-water mark
    const double before = status_bytes("VmRSS");
    state.ResumeTiming();
    const std::optional<Surface> picture = load_picture(path, drawn);
    state.PauseTiming();
    const double final_picture = static_cast<double>(kPlayWidth) * kPlayHeight * sizeof(Pixel);
    beyond = std::max(beyond, status_bytes("VmHWM") - before - (picture ? final_picture : 0));
    state.ResumeTiming();
  }
  state.counters["peak_MB_beyond_picture"] = beyond / (1 << 20);
  std::filesystem::remove(path);
}
BENCHMARK(BM_PhotoAsBackground)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarlyn
