// Writes test JPEG files through libjpeg: any rows, or a picture in two halves, left and right.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace quarlyn::testing {

// Writes a width x height RGB JPEG whose rows `fill_row(row, y)` gives, three bytes a pixel.
inline bool write_jpeg(const std::string& path, int width, int height,
                       const std::function<void(std::vector<JSAMPLE>&, int)>& fill_row) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 90, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3);
  JSAMPROW rows[1] = {row.data()};
  while (info.next_scanline < info.image_height) {
    fill_row(row, static_cast<int>(info.next_scanline));
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(file) == 0;
}

inline bool write_two_colour_jpeg(const std::string& path, int width, int height, const uint8_t left[3],
                                  const uint8_t right[3]) {
  return write_jpeg(path, width, height, [&](std::vector<JSAMPLE>& row, int) {
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) row[static_cast<size_t>(x) * 3 + c] = x < width / 2 ? left[c] : right[c];
  });
}

}  // namespace quarlyn::testing
