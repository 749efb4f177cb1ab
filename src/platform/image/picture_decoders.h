// The decoders behind `decode_picture`, one per file format. Each takes the whole file in memory,
// checks every size against kMaxPictureSide and the bytes present before allocating, and gives
// nullopt for anything it cannot read completely.
#pragma once

#include <cstddef>
#include <optional>

#include "platform/surface.h"

namespace quarlyn {

std::optional<Surface> decode_bmp(const unsigned char* data, size_t size);
std::optional<Surface> decode_gif(const unsigned char* data, size_t size);
std::optional<Surface> decode_jpeg(const unsigned char* data, size_t size);

}  // namespace quarlyn
