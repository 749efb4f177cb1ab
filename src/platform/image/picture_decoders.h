// The decoders behind `decode_picture`, one per file format. Each takes the whole file in memory,
// checks every size against kMaxPictureSide and the bytes present before allocating, and gives
// nullopt for anything it cannot read completely.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/surface.h"

namespace quarlyn {

std::optional<Surface> decode_bmp(const unsigned char* data, size_t size);
std::optional<Surface> decode_gif(const unsigned char* data, size_t size);
// `most_reduced`, when given, says for the picture's full size what size the output must at least
// have; the decoder then reduces by the largest of 1/2, 1/4 and 1/8 that keeps it.
std::optional<Surface> decode_jpeg(const unsigned char* data, size_t size,
                                   const std::function<Rect(int width, int height)>& most_reduced = {});

// The same from an open file of `size` bytes, read a block at a time from its start.
std::optional<Surface> read_jpeg(int fd, uint64_t size, const std::function<Rect(int width, int height)>& most_reduced);

}  // namespace quarlyn
