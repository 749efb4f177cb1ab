// write_photos FOLDER COUNT: writes COUNT camera-sized JPEGs (6000x4000, 24 megapixels) named
// photo1.jpg, photo2.jpg and so on into FOLDER, for tools/bench-saver.sh. Their grain makes them
// cost to decode what a real photo costs, which a flat picture would not.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/jpeg_writer.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

uint8_t grain(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 374761393U + y * 668265263U + seed * 2246822519U;
  h = (h ^ (h >> 13)) * 1274126177U;
  return static_cast<uint8_t>(h >> 24);
}

void fill_row(std::vector<JSAMPLE>& row, int y, int photo) {
  for (int x = 0; x < kWidth; ++x) {
    const uint8_t noise = grain(static_cast<uint32_t>(x), static_cast<uint32_t>(y), static_cast<uint32_t>(photo));
    const int sky = 255 * y / kHeight;
    row[3 * static_cast<size_t>(x)] = static_cast<JSAMPLE>((sky + 25 * photo + noise / 3) & 0xFF);
    row[3 * static_cast<size_t>(x) + 1] = static_cast<JSAMPLE>((255 * x / kWidth + noise / 4) & 0xFF);
    row[3 * static_cast<size_t>(x) + 2] = static_cast<JSAMPLE>((255 - sky + noise / 2) & 0xFF);
  }
}

bool write_photo(const std::string& path, int photo) {
  return quarlyn::testing::write_jpeg(path, kWidth, kHeight,
                                      [photo](std::vector<JSAMPLE>& row, int y) { fill_row(row, y, photo); });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: write_photos FOLDER COUNT\n");
    return 2;
  }
  const int count = std::atoi(argv[2]);
  for (int photo = 1; photo <= count; ++photo) {
    if (!write_photo(std::string(argv[1]) + "/photo" + std::to_string(photo) + ".jpg", photo)) return 1;
  }
  return 0;
}
