// Large pictures loaded at the size they are drawn at: a camera photo (6000x4000 JPEG) as the
// saver's background, and an 8000x8000 GIF and an 8192x8192 BMP in the picture chooser's preview.
// Each prints the time of one load, and the memory it takes at its peak beyond the final picture
// (from the kernel's high-water mark of resident memory, reset before each load once freed memory
// has gone back to the system).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/picture_files.h"
#include "saver/game.h"
#include "support/gif_writer.h"
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

void measure_loads(benchmark::State& state, const std::string& path, const Rect& drawn_size) {
  const auto drawn = [&](int, int) { return drawn_size; };
  double beyond = 0;
  for (auto _ : state) {
    state.PauseTiming();
    malloc_trim(0);  // memory freed earlier goes back, so the load's own shows in the figure
    std::ofstream("/proc/self/clear_refs") << "5";  // resets the high-water mark
    const double before = status_bytes("VmRSS");
    state.ResumeTiming();
    const std::optional<Surface> picture = load_picture(path, drawn);
    state.PauseTiming();
    const double final_picture = static_cast<double>(drawn_size.width) * drawn_size.height * sizeof(Pixel);
    beyond = std::max(beyond, status_bytes("VmHWM") - before - (picture ? final_picture : 0));
    if (!picture) state.SkipWithError("the picture did not load");
    state.ResumeTiming();
  }
  state.counters["peak_MB_beyond_picture"] = beyond / (1 << 20);
  std::filesystem::remove(path);
}

std::string bench_file(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("quarlyn-bench-" + name)).string();
}

// A square picture fills the height of the chooser's 376x247 preview.
constexpr Rect kSquarePreview{0, 0, 247, 247};

void BM_PhotoAsBackground(benchmark::State& state) {
  const std::string path = bench_file("photo.jpg");
  const uint8_t sky[3] = {90, 140, 220};
  const uint8_t field[3] = {60, 160, 40};
  testing::write_two_colour_jpeg(path, 6000, 4000, sky, field);
  measure_loads(state, path, Rect{0, 0, kPlayWidth, kPlayHeight});
}
BENCHMARK(BM_PhotoAsBackground)->Unit(benchmark::kMillisecond);

void BM_GifInPreview(benchmark::State& state) {
  const std::string path = bench_file("big.gif");
  testing::write_gif(path, 8000, 8000, {0x5A8CDC, 0x3CA028}, [](int x, int y) { return (x / 64 + y / 64) % 2; });
  measure_loads(state, path, kSquarePreview);
}
BENCHMARK(BM_GifInPreview)->Unit(benchmark::kMillisecond);

// An uncompressed 24-bit BMP, bottom row first, in stripes of two colours.
void write_striped_bmp(const std::string& path, int side) {
  const uint32_t stride = (3 * static_cast<uint32_t>(side) + 3) / 4 * 4;
  const uint32_t header[] = {0, 0, 54, 40, static_cast<uint32_t>(side), static_cast<uint32_t>(side), 1 | (24 << 16)};
  std::ofstream out(path, std::ios::binary);
  out.write("BM", 2);
  out.write(reinterpret_cast<const char*>(header), sizeof header);
  out.write(std::vector<char>(54 - 2 - sizeof header, 0).data(), 54 - 2 - sizeof header);
  std::vector<char> row(stride, 0);
  for (int x = 0; x < side; ++x) row[3 * static_cast<size_t>(x) + (x / 64 % 2 == 0 ? 0 : 1)] = static_cast<char>(200);
  for (int y = 0; y < side; ++y) out.write(row.data(), stride);
}

void BM_BmpInPreview(benchmark::State& state) {
  const std::string path = bench_file("big.bmp");
  write_striped_bmp(path, 8192);
  measure_loads(state, path, kSquarePreview);
}
BENCHMARK(BM_BmpInPreview)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarlyn
