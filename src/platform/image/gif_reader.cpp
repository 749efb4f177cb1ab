// GIF reading through giflib: the first frame, drawn onto its logical screen. The screen's
// background and the frame's transparent pixels are black (0).
#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/image/picture_decoders.h"
#include "platform/picture_files.h"

namespace quarlyn {

namespace {

// One LZW code of at least one bit stands for at most 4096 pixels, so a frame claiming more
// pixels than this per byte left cannot be complete.
constexpr int64_t kMaxPixelsPerByte = 8 * 4096;

struct MemoryInput {
  const unsigned char* data;
  size_t size;
  size_t at;
};

int read_memory(GifFileType* gif, GifByteType* out, int length) {
  auto* input = static_cast<MemoryInput*>(gif->UserData);
  if (length <= 0) return 0;
  const size_t count = std::min(static_cast<size_t>(length), input->size - input->at);
  std::memcpy(out, input->data + input->at, count);
  input->at += count;
  return static_cast<int>(count);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int ignored = 0;
    DGifCloseFile(gif, &ignored);
  }
};
using GifFile = std::unique_ptr<GifFileType, GifCloser>;

// Reads one extension; a graphic control block sets the transparent colour of the next frame.
bool read_extension(GifFileType* gif, int& transparent) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
  GraphicsControlBlock control{};
  if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr &&
      DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
    transparent = control.TransparentColor;
  }
  while (block != nullptr) {
    if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
  }
  return true;
}

// Skips to the first frame and reads its descriptor.
bool find_first_frame(GifFileType* gif, int& transparent) {
  GifRecordType type = UNDEFINED_RECORD_TYPE;
  while (DGifGetRecordType(gif, &type) == GIF_OK) {
    if (type == IMAGE_DESC_RECORD_TYPE) return DGifGetImageDesc(gif) == GIF_OK;
    if (type != EXTENSION_RECORD_TYPE || !read_extension(gif, transparent)) return false;
  }
  return false;
}

std::array<Pixel, 256> palette_of(const ColorMapObject& colours) {
  std::array<Pixel, 256> palette{};
  const int count = std::clamp(colours.ColorCount, 0, 256);
  for (int i = 0; i < count; ++i) {
    const GifColorType& c = colours.Colors[i];
    palette[static_cast<size_t>(i)] = rgb(c.Red, c.Green, c.Blue);
  }
  return palette;
}

// The frame's rows in the order the file stores them: interlaced frames in four passes.
std::vector<int> row_order(int height, bool interlaced) {
  std::vector<int> order;
  order.reserve(static_cast<size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  constexpr std::array<int, 4> kStart = {0, 4, 2, 1};
  constexpr std::array<int, 4> kStep = {8, 8, 4, 2};
  for (size_t pass = 0; pass < kStart.size(); ++pass) {
    for (int y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
  }
  return order;
}

bool draw_frame(GifFileType* gif, const std::array<Pixel, 256>& palette, int transparent, Surface& screen) {
  const GifImageDesc& frame = gif->Image;
  std::vector<GifPixelType> line(static_cast<size_t>(frame.Width));
  for (const int y : row_order(frame.Height, frame.Interlace)) {
    if (DGifGetLine(gif, line.data(), frame.Width) != GIF_OK) return false;
    Pixel* out = screen.row(frame.Top + y) + frame.Left;
    for (size_t x = 0; x < line.size(); ++x) {
      if (line[x] != transparent) out[x] = palette[line[x]];
    }
  }
  return true;
}

}  // namespace

std::optional<Surface> decode_gif(const unsigned char* data, size_t size) {
  MemoryInput input{data, size, 0};
  int error = 0;
  const GifFile gif(DGifOpen(&input, read_memory, &error));
  int transparent = -1;
  if (!gif || !find_first_frame(gif.get(), transparent)) return std::nullopt;
  const GifImageDesc& frame = gif->Image;
  const ColorMapObject* colours = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
  if (colours == nullptr || frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0) {
    return std::nullopt;
  }
  // A frame reaching past the logical screen widens it, as viewers do.
  const int64_t width = std::max<int64_t>(gif->SWidth, int64_t{frame.Left} + frame.Width);
  const int64_t height = std::max<int64_t>(gif->SHeight, int64_t{frame.Top} + frame.Height);
  const int64_t frame_pixels = int64_t{frame.Width} * frame.Height;
  if (width > kMaxPictureSide || height > kMaxPictureSide ||
      frame_pixels / kMaxPixelsPerByte > static_cast<int64_t>(size - input.at)) {
    return std::nullopt;
  }
  Surface screen(static_cast<int>(width), static_cast<int>(height));
  if (!draw_frame(gif.get(), palette_of(*colours), transparent, screen)) return std::nullopt;
  return screen;
}

}  // namespace quarlyn
