// GIF reading through giflib: the first frame, drawn onto its logical screen a row at a time.
// The screen's background and the frame's transparent pixels are black (0).
#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "platform/image/picture_decoders.h"

namespace quarlyn {

namespace {

// One LZW code of at least one bit stands for at most 4096 pixels, so a frame claiming more
// pixels than this per byte left cannot be complete.
constexpr int64_t kMaxPixelsPerByte = 8 * 4096;

// The library asks for a few bytes at a time; the file is read a block at a time.
struct FileInput {
  static constexpr size_t kBlock = 64 * 1024;
  PictureBytes* file;
  uint64_t next = 0;  // where the block after `block` starts
  std::span<const unsigned char> block{};

  uint64_t consumed() const { return next - block.size(); }
};

int read_input(GifFileType* gif, GifByteType* out, int length) {
  auto* input = static_cast<FileInput*>(gif->UserData);
  size_t copied = 0;
  while (length > 0 && copied < static_cast<size_t>(length)) {
    if (input->block.empty()) {
      input->block = input->file->read(input->next, FileInput::kBlock);
      if (input->block.empty()) break;
      input->next += input->block.size();
    }
    const size_t count = std::min(static_cast<size_t>(length) - copied, input->block.size());
    std::memcpy(out + copied, input->block.data(), count);
    input->block = input->block.subspan(count);
    copied += count;
  }
  return static_cast<int>(copied);
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

// The frame's rows go to the canvas as rows of the screen, and the rows above and below it as
// black ones.
bool draw_frame(GifFileType* gif, const std::array<Pixel, 256>& palette, int transparent, int screen_height,
                std::vector<Pixel>& screen_row, PictureCanvas& canvas) {
  const GifImageDesc& frame = gif->Image;
  std::vector<GifPixelType> line(static_cast<size_t>(frame.Width));
  Pixel* out = screen_row.data() + frame.Left;
  for (const int y : row_order(frame.Height, frame.Interlace)) {
    if (DGifGetLine(gif, line.data(), frame.Width) != GIF_OK) return false;
    for (size_t x = 0; x < line.size(); ++x) out[x] = line[x] == transparent ? 0 : palette[line[x]];
    canvas.add_row(frame.Top + y, screen_row.data());
  }
  std::fill(screen_row.begin(), screen_row.end(), 0);
  for (int y = 0; y < screen_height; ++y) {
    if (y < frame.Top || y >= frame.Top + frame.Height) canvas.add_row(y, screen_row.data());
  }
  return true;
}

}  // namespace

bool decode_gif(PictureBytes& file, PictureCanvas& canvas) {
  FileInput input{&file};
  int error = 0;
  const GifFile gif(DGifOpen(&input, read_input, &error));
  int transparent = -1;
  if (!gif || !find_first_frame(gif.get(), transparent)) return false;
  const GifImageDesc& frame = gif->Image;
  const ColorMapObject* colours = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
  if (colours == nullptr || frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0) return false;
  // A frame reaching past the logical screen widens it, as viewers do.
  const int64_t width = std::max<int64_t>(gif->SWidth, int64_t{frame.Left} + frame.Width);
  const int64_t height = std::max<int64_t>(gif->SHeight, int64_t{frame.Top} + frame.Height);
  const int64_t frame_pixels = int64_t{frame.Width} * frame.Height;
  if (frame_pixels / kMaxPixelsPerByte > static_cast<int64_t>(file.size() - input.consumed()) ||
      !canvas.accept(width, height)) {
    return false;
  }
  canvas.begin(static_cast<int>(width), static_cast<int>(height));
  std::vector<Pixel> screen_row(static_cast<size_t>(width));
  return draw_frame(gif.get(), palette_of(*colours), transparent, static_cast<int>(height), screen_row, canvas);
}

}  // namespace quarlyn
