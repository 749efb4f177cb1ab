// Arbitrary bytes as a picture file, loaded at its own size and at a size drawn from it (reduced
// along one axis and enlarged along the other). Whatever decodes must lie within the size limit,
// or have the size drawn, and every one of its pixels must be readable and carry no bits beyond
// 0x00RRGGBB.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/picture_files.h"

namespace {

void check_pixels(const quarlyn::Surface& picture) {
  quarlyn::Pixel all = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) all |= picture.row(y)[x];
  }
  if ((all & 0xFF000000u) != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (const std::optional<quarlyn::Surface> picture = quarlyn::decode_picture(data, size)) {
    if (picture->empty() || picture->width() > quarlyn::kMaxPictureSide ||
        picture->height() > quarlyn::kMaxPictureSide) {
      std::abort();
    }
    check_pixels(*picture);
  }
  quarlyn::Rect drawn;
  const auto reduce_across_enlarge_down = [&](int width, int height) {
    drawn = {0, 0, 1 + width / 3, 2 * height};
    return drawn;
  };
  if (const std::optional<quarlyn::Surface> picture = quarlyn::decode_picture(data, size, reduce_across_enlarge_down)) {
    if (picture->width() != drawn.width || picture->height() != drawn.height) std::abort();
    check_pixels(*picture);
  }
  return 0;
}
