// Arbitrary bytes as a picture file. Whatever decodes must lie within the size limit, and every
// one of its pixels must be readable and carry no bits beyond 0x00RRGGBB.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/picture_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::optional<quarlyn::Surface> picture = quarlyn::decode_picture(data, size);
  if (!picture) return 0;
  if (picture->empty() || picture->width() > quarlyn::kMaxPictureSide || picture->height() > quarlyn::kMaxPictureSide) {
    std::abort();
  }
  quarlyn::Pixel all = 0;
  for (int y = 0; y < picture->height(); ++y) {
    for (int x = 0; x < picture->width(); ++x) all |= picture->row(y)[x];
  }
  if ((all & 0xFF000000u) != 0) std::abort();
  return 0;
}
