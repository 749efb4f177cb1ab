// The decoders behind `decode_picture` and `load_picture`, one per file format. Each reads the
// file through `PictureBytes` as it goes, checks every size against the bytes the file can hold
// and then through `PictureCanvas::accept` before allocating, gives the canvas every row, and
// gives false for anything it cannot read completely.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/image/picture_canvas.h"

namespace quarlyn {

// A picture file's bytes: in memory, or read from an open file as they are needed, so a large
// file never stands whole in memory.
class PictureBytes {
 public:
  PictureBytes(const unsigned char* data, size_t size) : data_(data), size_(size) {}
  PictureBytes(int fd, uint64_t size) : fd_(fd), size_(size) {}

  uint64_t size() const { return size_; }
  // Up to `count` bytes from `at`: fewer where the file ends (or has shrunk, or a read fails).
  // They stay valid until the next read.
  std::span<const unsigned char> read(uint64_t at, size_t count);

 private:
  const unsigned char* data_ = nullptr;
  int fd_ = -1;
  uint64_t size_ = 0;
  std::vector<unsigned char> buffer_;
};

bool decode_bmp(PictureBytes& file, PictureCanvas& canvas);
bool decode_gif(PictureBytes& file, PictureCanvas& canvas);
// Where the canvas reduces, the decoder itself reduces by the largest of 1/2, 1/4 and 1/8 that
// keeps the size drawn.
bool decode_jpeg(PictureBytes& file, PictureCanvas& canvas);

}  // namespace quarlyn
