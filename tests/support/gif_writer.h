// Writes test GIF files through giflib: one frame filling the screen, the colour index of each
// pixel given by a function of its position.
#pragma once

#include <gif_lib.h>

#include <array>
#include <string>
#include <vector>

namespace quarlyn::testing {

// `index(x, y)` picks one of `colours`, given as 0xRRGGBB. An interlaced frame's rows are
// written in the file's four passes.
template <typename Index>
bool write_gif(const std::string& path, int width, int height, const std::vector<unsigned>& colours,
               const Index& index, bool interlaced = false) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  if (gif == nullptr) return false;
  std::vector<GifColorType> entries(256);
  for (size_t i = 0; i < colours.size(); ++i) {
    entries[i] = {static_cast<GifByteType>(colours[i] >> 16), static_cast<GifByteType>(colours[i] >> 8),
                  static_cast<GifByteType>(colours[i])};
  }
  ColorMapObject* map = GifMakeMapObject(256, entries.data());
  std::vector<int> rows;
  constexpr std::array<int, 4> kStart = {0, 4, 2, 1};
  constexpr std::array<int, 4> kStep = {8, 8, 4, 2};
  for (size_t pass = 0; pass < (interlaced ? kStart.size() : 1); ++pass) {
    for (int y = interlaced ? kStart[pass] : 0; y < height; y += interlaced ? kStep[pass] : 1) rows.push_back(y);
  }
  bool written = EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK &&
                 EGifPutImageDesc(gif, 0, 0, width, height, interlaced, nullptr) == GIF_OK;
  std::vector<GifPixelType> line(static_cast<size_t>(width));
  for (const int y : rows) {
    if (!written) break;
    for (int x = 0; x < width; ++x) line[static_cast<size_t>(x)] = static_cast<GifPixelType>(index(x, y));
    written = EGifPutLine(gif, line.data(), width) == GIF_OK;
  }
  GifFreeMapObject(map);
  return EGifCloseFile(gif, &error) == GIF_OK && written;
}

}  // namespace quarlyn::testing
